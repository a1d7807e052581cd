#include "decode/DumpGrid.h"

#include "common/modCommon.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kBytesPerRow = kDumpGridSize - 1;
constexpr std::size_t kMaxBytes = kBytesPerRow * kBytesPerRow;

} // namespace

DumpGrid MakeDumpGrid(std::string_view byteText) {
    DumpGrid grid;
    for (int r = 1; r < kDumpGridSize; ++r)
        grid[r][0] = modCommon::ByteToHex(static_cast<std::uint8_t>((r - 1) * kBytesPerRow));
    for (int c = 1; c < kDumpGridSize; ++c)
        grid[0][c] = "+" + modCommon::ByteToHex(static_cast<std::uint8_t>(c - 1)).substr(1);
    const auto fields = modCommon::SplitFields(byteText);
    const std::size_t n = std::min(fields.size(), kMaxBytes);
    for (std::size_t i = 0; i < n; ++i)
        grid[i / kBytesPerRow + 1][i % kBytesPerRow + 1] = fields[i];
    return grid;
}

DumpChars MakeDumpChars(std::string_view byteText) {
    DumpChars chars;
    const auto fields = modCommon::SplitFields(byteText);
    const std::size_t n = std::min(fields.size(), kMaxBytes);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t value = modCommon::HexValue(fields[i]);
        chars[i / kBytesPerRow].push_back(value >= 0x20 && value < 0x7F ? static_cast<char>(value) : '.');
    }
    return chars;
}
