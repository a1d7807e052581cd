// The floors page and the dump grid from any byte text: what a loaded capture file can hand the two
// detail windows, odd tokens, stray blanks and all.
#include "FuzzCheck.h"

#include "common/modCommon.h"
#include "decode/DumpGrid.h"
#include "decode/FloorsPage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kDumpBytes = 256;
constexpr std::size_t kFirstFloorField = 9;
constexpr int kFloorBytes = 64;
// A full 0x20 message whose floor bytes differ from anything short, so kept texts can be told apart.
constexpr std::string_view kEarlierLine =
    "4C 41 00 00 20 30 32 35 35 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18"
    " 19 1A 1B 1C 1D 1E 1F 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 30 31 32 33 34 35 36 37 38 39 3A"
    " 3B 3C 3D 3E 3F 30 00 00 00 00 00 00";

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

void CheckDumpGrid(std::string_view byteText) {
    const auto fields = modCommon::SplitFields(byteText);
    const DumpGrid grid = MakeDumpGrid(byteText);
    Check(grid[0][0].empty(), "the corner cell is empty");
    for (int c = 1; c < kDumpGridSize; ++c) {
        Check(grid[0][c] == "+" + std::string(1, "0123456789ABCDEF"[c - 1]), "column headings +0 to +F");
        Check(grid[c][0] == modCommon::ByteToHex(static_cast<std::uint8_t>((c - 1) * 16)),
              "row headings 00 to F0");
    }
    for (std::size_t i = 0; i < kDumpBytes; ++i) {
        const std::string& cell = grid[i / 16 + 1][i % 16 + 1];
        if (i < fields.size())
            Check(cell == fields[i], "byte cell i shows field i unchanged");
        else
            Check(cell.empty(), "cells past the last field are empty");
    }
}

void CheckPage(const FloorData& data, int top) {
    const FloorsPage page = ShowFloors(data, top);
    for (int d = 0; d < kFloorsPageRows; ++d) {
        const std::string& index = page.lblIndex[static_cast<std::size_t>(d)];
        Check(index == TwoDigits(top + d + 1), "row numbers are two digits from top + 1");
    }
    for (int i = 0; i < 32; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const int floor = 4 * top + i + 1;
        const int row = top + i / 4;
        const Label& name = page.lblNo[at];
        const Label& value = page.lblAccesibleFloor[at];
        Check(name.visible == (floor != 256), "every floor label shows but that of floor 256");
        if (name.visible)
            Check(name.caption == FloorName(floor), "a floor label names its floor");
        Check(value.visible, "every value cell shows");
        if (row >= data.FloorCount) {
            Check(value.caption.empty() && value.red, "the floors of a missing byte are empty and red");
            continue;
        }
        const int bits =
            modCommon::HexLowByte(data.FloorHex[static_cast<std::size_t>(row)]) >> (2 * (i % 4)) & 3;
        Check(value.caption == std::string{char('0' + (bits >> 1)), char('0' + (bits & 1))},
              "a floor shows its two bits, the higher first");
        Check(value.red == (floor == 256 && bits != 0), "only floor 256 holding anything but 00 is red");
    }
}

void CheckFloors(std::string_view byteText) {
    const auto fields = modCommon::SplitFields(byteText);
    const int count = static_cast<int>(std::min<std::size_t>(
        kFloorBytes, fields.size() > kFirstFloorField ? fields.size() - kFirstFloorField : 0));

    FloorData data;
    // The floors window keeps the texts of a longer earlier line beyond a shorter new one.
    SetFloorData(data, kEarlierLine);
    const FloorData before = data;
    SetFloorData(data, byteText);
    Check(data.FloorCount == count, "FloorCount is the number of floor fields, at most 64");
    for (int r = 0; r < kFloorBytes; ++r) {
        const auto at = static_cast<std::size_t>(r);
        if (r < count)
            Check(data.FloorHex[at] == fields[kFirstFloorField + at],
                  "floor byte r is field 9 + r unchanged");
        else
            Check(data.FloorHex[at] == before.FloorHex[at], "entries past the count keep their old texts");
    }
    // The first and the last page, and one the text picks, keep each run quick enough to explore.
    for (int top : {0, kFloorsTopMax, static_cast<int>(byteText.size() % (kFloorsTopMax + 1))})
        CheckPage(data, top);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckDumpGrid(text);
    CheckFloors(text);
    return 0;
}
