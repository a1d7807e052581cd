#include "cli/HexBytes.h"

#include "common/modCommon.h"

#include <cctype>

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ':' || c == '-';
}
bool IsDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool AppendRun(std::vector<std::uint8_t>& bytes, std::string_view run) {
    if (run.size() != 1 && run.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < run.size(); i += 2)
        bytes.push_back(modCommon::HexLowByte(run.substr(i, 2)));
    return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && IsDigit(text[i]))
            continue;
        if (i < text.size() && !IsSeparator(text[i]))
            return std::nullopt;
        if (i > runStart && !AppendRun(bytes, text.substr(runStart, i - runStart)))
            return std::nullopt;
        runStart = i + 1;
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ParseByteText(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    if (text.empty())
        return bytes;
    if ((text.size() + 1) % 3 != 0)
        return std::nullopt;
    bytes.reserve((text.size() + 1) / 3);
    for (std::size_t i = 0; i < text.size(); i += 3) {
        if (!IsDigit(text[i]) || !IsDigit(text[i + 1]) || (i + 2 < text.size() && text[i + 2] != ' '))
            return std::nullopt;
        bytes.push_back(modCommon::HexLowByte(text.substr(i, 2)));
    }
    return bytes;
}
