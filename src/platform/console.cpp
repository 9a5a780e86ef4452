// Lines typed at the prompts, and the time limit as typed.
#include "platform/console.h"

#include <cctype>
#include <cmath>
#include <iostream>

#include "text/format.h"

namespace {

bool inputHasEnded = false;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool readLine(std::string& line) {
    if (inputHasEnded) return false;
    std::getline(std::cin, line);
    if (std::cin.eof()) inputHasEnded = true;
    return !std::cin.fail();
}

bool inputEnded() { return inputHasEnded; }

std::optional<double> parseTimeLimit(const std::string& line) {
    // Scan the number by hand: a decimal comma or point, an optional
    // exponent, nothing that strtod alone would also take (hexadecimal,
    // "inf", "nan"). The span found is then read as the program reads its
    // own decimals.
    const std::string text = line.substr(0, line.find('\0'));
    const size_t size = text.size();
    size_t i = 0;
    while (i < size && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::string number;
    if (i < size && (text[i] == '+' || text[i] == '-')) number += text[i++];
    if (i + 1 < size && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) return std::nullopt;
    size_t digits = 0;
    while (i < size && isDigit(text[i])) {
        number += text[i++];
        ++digits;
    }
    if (i < size && (text[i] == ',' || text[i] == '.')) {
        size_t j = i + 1;
        std::string fraction;
        while (j < size && isDigit(text[j])) fraction += text[j++];
        if (digits > 0 || !fraction.empty()) {
            number += "." + fraction;
            digits += fraction.size();
            i = j;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < size && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        const size_t first = exponent.size();
        while (j < size && isDigit(text[j])) exponent += text[j++];
        if (exponent.size() > first) number += exponent;
    }
    if (number[0] == '+') number.erase(0, 1);
    const std::optional<double> value = parseDecimal(number);
    // Negative values, values beyond SCIP's largest limit and values out of
    // a double's range (subnormal ones included) are refused.
    if (!value || !(*value >= 0.0) || *value > kLargestTimeLimit || std::fpclassify(*value) == FP_SUBNORMAL) {
        return std::nullopt;
    }
    return *value == 0.0 ? 0.0 : *value;
}

void printErrors(const std::string& lines) {
    if (!lines.empty()) std::cerr << lines << std::flush;
}
