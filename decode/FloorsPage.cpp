#include "decode/FloorsPage.h"

#include "common/modCommon.h"
#include "decode/MessageFormat.h"

#include <algorithm>

namespace {

using MessageFormat::kFloorBytes;
using MessageFormat::kNoSuchFloor;
constexpr int kFirstFloorField = static_cast<int>(MessageFormat::kFloors20.offset);
constexpr int kColumns = MessageFormat::kFloorsPerByte;

// Bits 2k + 1 and 2k of value, the higher first: the two digits of floor k + 1 of a byte.
std::string FloorBits(std::uint8_t value, int k) {
    return {static_cast<char>('0' + ((value >> (2 * k + 1)) & 1)),
            static_cast<char>('0' + ((value >> (2 * k)) & 1))};
}

// The legend's words for the two bits of a floor.
constexpr const char* kSideWords[] = {"not accessible", "front side door only", "rear side door only",
                                      "both side doors"};

} // namespace

void SetFloorData(FloorData& data, std::string_view byteText) {
    SetFloorData(data, SplitMessage(byteText));
}

void SetFloorData(FloorData& data, const MessageTokens& fields) {
    const int n = static_cast<int>(fields.size());
    data.FloorCount = n <= kFirstFloorField ? 0 : std::min(kFloorBytes, n - kFirstFloorField);
    for (int r = 0; r < data.FloorCount; ++r)
        data.FloorHex[r] = fields[kFirstFloorField + r];
}

std::string FloorName(int n) {
    const int lastDigit = n % 10;
    const char* suffix = "th)";
    // Only 10 to 20 are exempt, so 111 reads "(111st)".
    if (n < 10 || n > 20) {
        if (lastDigit == 1)
            suffix = "st)";
        else if (lastDigit == 2)
            suffix = "nd)";
        else if (lastDigit == 3)
            suffix = "rd)";
    }
    return "(" + std::to_string(n) + suffix;
}

FloorsPage ShowFloors(const FloorData& data, int top) {
    // The scroll bar keeps top within its range; anything else gets the nearest page rather than
    // reading outside the 64 entries.
    top = std::clamp(top, 0, kFloorsTopMax);
    FloorsPage page;
    for (int d = 0; d < kFloorsPageRows; ++d) {
        const std::string number = "00" + std::to_string(top + d + 1);
        page.lblIndex[d] = number.substr(number.size() - 2);
    }
    for (int i = 0; i < kFloorsPageRows * kColumns; ++i) {
        const int floor = kColumns * top + i + 1;
        if (floor == kNoSuchFloor)
            page.lblNo[i].visible = false;
        else
            SetCaption(page.lblNo[i], FloorName(floor));
    }
    for (int j = 0; j < kFloorsPageRows; ++j) {
        const int r = top + j;
        const bool present = r < data.FloorCount;
        const std::uint8_t value = present ? modCommon::HexLowByte(data.FloorHex[r]) : 0;
        for (int k = 0; k < kColumns; ++k) {
            Label& cell = page.lblAccesibleFloor[kColumns * j + k];
            SetCaption(cell, present ? FloorBits(value, k) : std::string());
            cell.red = !present;
            const int floor = kColumns * r + k + 1;
            cell.note = "floor " + std::to_string(floor) + ": ";
            if (!present)
                cell.note += "missing: the message ends before it";
            else if (floor == kNoSuchFloor)
                cell.note += "no such floor";
            else
                cell.note += kSideWords[(value >> (2 * k)) & 0b11];
        }
    }
    // Floor 256 does not exist, so anything but "00" there is a fault of the sender.
    if (top >= kFloorsTopMax) {
        Label& last = page.lblAccesibleFloor.back();
        if (!last.red && last.caption != "00") {
            last.red = true;
            last.note += ", must be 00";
        }
    }
    return page;
}
