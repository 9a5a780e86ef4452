// Texts filled in and numbers written and read as the program's files and
// messages give them. Pure: no I/O.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// A message: printf's `pattern` filled with `args` (strings as text), whole
// however long.
inline const char* printfArgument(const std::string& text) { return text.c_str(); }
template <typename T>
T printfArgument(T value) {
    return value;
}
template <typename... Args>
std::string formatMessage(const char* pattern, const Args&... args) {
    const int size = std::snprintf(nullptr, 0, pattern, printfArgument(args)...);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, printfArgument(args)...);
    return text;
}

// "<what><path>: <reason>" and a line end: what could not be done with a
// file, and the system's reason.
inline std::string ioErrorLine(const char* what, const std::string& path, const std::string& reason) {
    return what + path + ": " + reason + "\n";
}

// A digest of `bytes` (FNV-1a, 64 bits) as 16 hex digits.
std::string fnv1aDigest(const std::string& bytes);

// The largest value an int holds: what SCIP's seeds and the program's
// counts (parts, seeds) may reach.
inline constexpr unsigned long long kLargestInt = 2147483647ULL;

// A number with `decimals` decimals and a decimal comma, whatever the
// process locale: decimalComma(0.0625, 6) is "0,062500".
std::string decimalComma(double value, int decimals);
// A whole number as typed: digits only (no sign, no blanks), at most
// `largest`; nothing for anything else.
std::optional<unsigned long long> parseWholeNumber(const std::string& text, unsigned long long largest);
// A finite number written with a decimal comma or point ("2,5", "1e-3");
// nothing when empty or not a number as a whole.
std::optional<double> parseDecimal(std::string text);
