#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The message format of the access control interface, in one place: every decoder, the framing, the
// message builder, the floors page, the table's drawing and both headless reports read it from here.
// Offsets count from the message's first byte (the data length); all fields are single bytes or byte
// strings, so there is no byte order.
namespace MessageFormat {

// The communication header: data length, version "A", two reserve bytes.
inline constexpr std::size_t kHeaderBytes = 4;
inline constexpr std::size_t kLengthOffset = 0;
inline constexpr std::size_t kVersionOffset = 1;
inline constexpr std::size_t kHeaderReserveOffset = 2;
inline constexpr std::size_t kHeaderReserveWidth = 2;
inline constexpr int kVersion = 'A';
inline constexpr std::size_t kCommandOffset = 4;

inline constexpr int kCommand10 = 0x10;
inline constexpr int kCommand11 = 0x11;
inline constexpr int kCommand20 = 0x20;
// The data length counts the bytes after the header, the command byte included.
inline constexpr int kDataLength10 = 12;
inline constexpr int kDataLength11 = 4;
inline constexpr int kDataLength20 = 76;

// The size a message announces in its first byte, header included.
constexpr std::uint64_t MessageSize(std::uint64_t dataLength) {
    return dataLength + kHeaderBytes;
}

// A field of the body: its first byte and its width.
struct Field {
    std::size_t offset;
    std::size_t width;
};

// 0x11: three reserve bytes.
inline constexpr Field kReserve11{5, 3};

// 0x10: gate (four ASCII digits, 0001 to 9999), destination floor (three digits, 001 to 255), door
// opening, attribution, sequence number and one reserve byte.
inline constexpr Field kGate10{5, 4};
inline constexpr Field kDestFloor10{9, 3};
inline constexpr Field kDoor10{12, 1};
inline constexpr Field kAttribution10{13, 1};
inline constexpr Field kSequence10{14, 1};
inline constexpr Field kReserve10{15, 1};
inline constexpr int kGateMax10 = 9999;
inline constexpr int kDestFloorMax = 255;

// 0x20: gate (four digits, 0001 to 0255), the 64-byte accessible-floors field, attribution, sequence
// number and five reserve bytes.
inline constexpr Field kGate20{5, 4};
inline constexpr Field kFloors20{9, 64};
inline constexpr Field kAttribution20{73, 1};
inline constexpr Field kSequence20{74, 1};
inline constexpr Field kReserve20{75, 5};
inline constexpr int kGateMax20 = 255;

// Door opening (0x10): the characters "1" front, "2" rear, "3" both sides.
inline constexpr char kDoorFront = '1';
inline constexpr char kDoorRear = '2';
inline constexpr char kDoorBoth = '3';
// Attribution: "0" general, "1" handicapped person (0x10 only), "2" VIP.
inline constexpr char kAttrGeneral = '0';
inline constexpr char kAttrHandicapped = '1';
inline constexpr char kAttrVip = '2';

// The accessible-floors field: byte r carries floors 4r + 1 to 4r + 4, two bits each, floor 1 in the
// two lowest bits of the first byte. Floor 256 (the two highest bits of the last byte) does not exist.
inline constexpr int kFloorBytes = 64;
inline constexpr int kFloorsPerByte = 4;
inline constexpr int kLastFloor = 255;
inline constexpr int kNoSuchFloor = 256;
inline constexpr std::uint8_t kFloorFront = 0b01;
inline constexpr std::uint8_t kFloorRear = 0b10;
inline constexpr std::uint8_t kFloorBoth = 0b11;

// Rows of the decode table, as the window names them.
inline constexpr int kHeaderRows = 3;
inline constexpr int kDataRows = 7;
inline constexpr std::array<std::string_view, kHeaderRows> kHeaderRowNames = {"Data length", "Version",
                                                                              "Reserve"};
inline constexpr std::array<std::string_view, kDataRows> kDataRowNames = {
    "Command", "Gate number", "Dest floor", "Door opening", "Attribution", "Seq number", "Reserve"};
// The second row's name in the 0x11 layout, spelled so.
inline constexpr std::string_view kReserveRowName11 = "Resrve";
// The third row's name in the 0x20 layout, spelled so.
inline constexpr std::string_view kFloorsRowName = "Accesible Floors";

// The floors window's legend, line by line, and its column headings from left to right (bit 7 first).
inline constexpr std::array<std::string_view, 4> kFloorsLegend = {
    "00 : Not accessible", "01 : Accessible to only front side door",
    "10 : Accessible to only rear side door", "11 : Accessible to both side door"};
inline constexpr std::array<std::string_view, 4> kFloorsHeadings = {"D7 D6", "D5 D4", "D3 D2", "D1 D0"};

} // namespace MessageFormat
