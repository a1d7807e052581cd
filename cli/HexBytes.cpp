#include "cli/HexBytes.h"

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ':' || c == '-';
}

bool AppendRun(std::vector<std::uint8_t>& bytes, std::string_view run) {
    if (run.size() == 1) {
        bytes.push_back(static_cast<std::uint8_t>(DigitValue(run[0])));
        return true;
    }
    if (run.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < run.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(DigitValue(run[i]) * 16 + DigitValue(run[i + 1])));
    return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && DigitValue(text[i]) >= 0)
            continue;
        if (i < text.size() && !IsSeparator(text[i]))
            return std::nullopt;
        if (i > runStart && !AppendRun(bytes, text.substr(runStart, i - runStart)))
            return std::nullopt;
        runStart = i + 1;
    }
    return bytes;
}
