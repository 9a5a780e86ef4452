// Numbers written and read as the program's files give them.
#include "text/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

std::string decimalComma(double value, int decimals) {
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    std::string result(text, end);
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

std::optional<unsigned long long> parseWholeNumber(const std::string& text, unsigned long long largest) {
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    // from_chars takes no sign but '-'; digits only are asked for.
    if (text.empty() || text[0] == '-' || error != std::errc() || end != text.data() + text.size() || value > largest) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseDecimal(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string fnv1aDigest(const std::string& bytes) {
    unsigned long long hash = 1469598103934665603ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", hash);
    return text;
}
