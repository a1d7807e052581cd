#pragma once

#include "decode/DecodeTable.h"
#include "decode/FieldRules.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The words of the decode table: the captions of its type and explanation labels, each value cell's
// note (field, value in words and, when red, why) and the message's summary. The decoders decide what
// a cell holds and whether it is red; these only say it.
namespace DecodeWords {

using MessageFormat::kDataRows;
using MessageFormat::kHeaderRows;

inline constexpr std::array<std::string_view, kHeaderRows> kHeaderTypes = {"BYTE(1)", "CHAR(1)", "BYTE(2)"};
inline constexpr std::array<std::string_view, kHeaderRows> kHeaderExplanations = {
    "Byte size of the communication data", "\"A\" (fixed)", "0x00 (fixed)"};
inline constexpr std::array<std::string_view, kDataRows> kTypes10 = {
    "BYTE(1)", "CHAR(4)", "CHAR(3)", "CHAR(1)", "CHAR(1)", "BYTE(1)", "BYTE(1)"};
inline constexpr std::array<std::string_view, kDataRows> kExplanations10 = {
    "0x10 (fixed)",
    "\"0001\" to \"9999\"",
    "\"001\" to \"255\" (Building Floor Name)",
    "\"1\": Front side, \"2\": Rear side, \"3\": Both-side",
    "\"0\": General, \"1\": Handicapped person, \"2\": VIP",
    "0x00 to 0xFF",
    "0x00 (fixed)"};
// The 0x11 layout shows its first two rows only.
inline constexpr std::array<std::string_view, 2> kTypes11 = {"BYTE(1)", "BYTE(3)"};
inline constexpr std::array<std::string_view, 2> kExplanations11 = {"0x11 (fixed)", "0x00 (fixed)"};
// Row 4 is hidden in the 0x20 layout: its type text is emptied, its explanation left as it was.
inline constexpr std::array<std::string_view, kDataRows> kTypes20 = {"BYTE(1)", "CHAR(4)", "BYTE(64)", "",
                                                                     "CHAR(1)", "BYTE(1)", "BYTE(5)"};
inline constexpr std::array<std::string_view, kDataRows> kExplanations20 = {
    "0x20 (fixed)", "\"0001\" to \"0255\"", MessageFormat::kFloorsRowName, "", "\"0\": General, \"2\": VIP",
    "0x00 to 0xFF", "0x00 (fixed)"};
inline constexpr std::string_view kUnknownCommand = "0x10 or 0x11 or 0x20";

// Why a cell that breaks rule is red, as its note ends.
std::string_view Reason(FieldRules::Rule rule);

// The notes of the header cells and of the command cell; the command also starts the summary.
void NoteLength(Label& cell, std::uint32_t length);
void NoteVersion(Label& cell, std::string_view token);
// A reserve byte of the header or of a body.
void NoteReserve(Label& cell, std::string_view token, FieldRules::Rule rule);
void NoteCommand(DecodeTable& table, std::string_view token, bool listed);
// The summary of a message that ends before its command byte.
void NoteNoCommand(MessageWords& words, std::size_t tokenCount);
void NoteReserveOnly(MessageWords& words);

// The cells of a field of digits that the decoder filled (shown) with their tokens, the field as
// characters (text) and whether its number broke rangeRule; whole when no byte of it is missing.
struct DigitFieldWords {
    std::span<Label> shown;
    std::span<const std::string_view> tokens;
    std::string_view text;
    FieldRules::Rule digitRule;
    FieldRules::Rule rangeRule;
    bool outOfRange;
    bool whole;
};
void NoteDigitField(DecodeTable& table, const DigitFieldWords& field);
// A one-character field judged by rule (door opening or attribution).
void NoteCharCell(DecodeTable& table, Label& cell, std::string_view token, std::uint32_t value,
                  FieldRules::Rule rule);
void NoteSequence(DecodeTable& table, Label& cell, std::string_view token);
// The accessible floors of a 0x20 in words, straight into the summary.
void AddFloorWords(MessageWords& words, const MessageTokens& tokens);

// Cells a decoder made visible but left unfilled say why; every shown field is counted as invalid or
// missing.
void NoteGaps(DecodeTable& table, const MessageTokens& tokens);

} // namespace DecodeWords
