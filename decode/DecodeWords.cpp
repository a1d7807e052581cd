#include "decode/DecodeWords.h"

#include "common/AppendNumber.h"
#include "common/modCommon.h"

#include <algorithm>
#include <bit>

namespace DecodeWords {

namespace {

using namespace MessageFormat;
using FieldRules::Rule;

// The words are written into strings the table keeps, so after the first few messages a decode
// allocates nothing for them.

bool Printable(std::uint32_t value) {
    return value >= 0x20 && value < 0x7F;
}

// A byte meant as a character: the character when it is printable ASCII, its hex text otherwise.
void AppendChar(std::string& out, std::string_view token, std::uint32_t value) {
    if (Printable(value)) {
        out.push_back(static_cast<char>(value));
    } else {
        out += "0x";
        out += token;
    }
}

void AppendReason(std::string& note, bool red, std::string_view reason) {
    if (red) {
        note += ": ";
        note += reason;
    }
}

// Appends one field's words to the summary, after the command's colon or a comma.
void AddWord(MessageWords& words, std::string_view word) {
    words.summary += !words.summary.empty() && words.summary.back() == ':' ? " " : ", ";
    words.summary += word;
}

const char* DoorMeaning(std::uint32_t value) {
    switch (value) {
    case kDoorFront:
        return "front side";
    case kDoorRear:
        return "rear side";
    case kDoorBoth:
        return "both sides";
    default:
        return nullptr;
    }
}

const char* AttributionMeaning(std::uint32_t value) {
    switch (value) {
    case kAttrGeneral:
        return "general";
    case kAttrHandicapped:
        return "handicapped person";
    case kAttrVip:
        return "VIP";
    default:
        return nullptr;
    }
}

const char* SideWord(std::uint8_t bits) {
    switch (bits) {
    case kFloorFront:
        return "front";
    case kFloorRear:
        return "rear";
    default:
        return "both";
    }
}

} // namespace

std::string_view Reason(Rule rule) {
    return FieldRules::Describe(rule).requirement;
}

void NoteLength(Label& cell, std::uint32_t length) {
    cell.note = "data length ";
    AppendNumber(cell.note, length);
    if (cell.red) {
        AppendReason(cell.note, true, Reason(Rule::Length));
    } else {
        cell.note += ": ";
        AppendNumber(cell.note, MessageSize(length));
        cell.note += " bytes with the header";
    }
}

void NoteVersion(Label& cell, std::string_view token) {
    cell.note = "version ";
    AppendChar(cell.note, token, modCommon::HexValue(token));
    AppendReason(cell.note, cell.red, Reason(Rule::Version));
}

void NoteReserve(Label& cell, std::string_view token, Rule rule) {
    cell.note = "reserve ";
    cell.note += token;
    AppendReason(cell.note, cell.red, Reason(rule));
}

void NoteCommand(DecodeTable& table, std::string_view token, bool listed) {
    Label& cell = table.lblData[DataCell::kCommand];
    cell.note = "command 0x";
    cell.note += token;
    AppendReason(cell.note, cell.red, Reason(Rule::Command));
    table.words.summary = listed ? "0x" : "command 0x";
    table.words.summary += token;
    table.words.summary += listed ? ":" : ": unknown";
}

void NoteNoCommand(MessageWords& words, std::size_t tokenCount) {
    words.summary = tokenCount == 0 ? "no bytes" : "header only, no command byte";
}

void NoteReserveOnly(MessageWords& words) {
    AddWord(words, "reserve bytes only");
}

void NoteDigitField(DecodeTable& table, const DigitFieldWords& field) {
    const bool gate = field.rangeRule != Rule::FloorRange10;
    const std::string_view name = gate ? "gate" : "floor";
    for (std::size_t k = 0; k < field.shown.size(); ++k) {
        Label& cell = field.shown[k];
        cell.note = name;
        cell.note += ' ';
        cell.note += field.text;
        if (field.outOfRange) {
            AppendReason(cell.note, true, Reason(field.rangeRule));
        } else if (cell.red) {
            // Quoted, so that a colon or a blank reads as the byte it is.
            const std::uint32_t value = modCommon::HexValue(field.tokens[k]);
            const bool printable = Printable(value);
            cell.note += printable ? ": \"" : ": ";
            AppendChar(cell.note, field.tokens[k], value);
            cell.note += printable ? "\" " : " ";
            cell.note += Reason(field.digitRule);
        }
    }
    if (field.shown.empty())
        return;
    AddWord(table.words,
            std::string_view(field.shown[0].note).substr(0, name.size() + 1 + field.text.size()));
    if (field.whole && gate)
        table.words.gate = field.text;
}

void NoteCharCell(DecodeTable& table, Label& cell, std::string_view token, std::uint32_t value, Rule rule) {
    const bool door = rule == Rule::Door10;
    cell.note = door ? "door" : "attribution";
    cell.note += ' ';
    AppendChar(cell.note, token, value);
    const char* meaning = cell.red ? nullptr : door ? DoorMeaning(value) : AttributionMeaning(value);
    if (meaning) {
        cell.note += ": ";
        cell.note += meaning;
        AddWord(table.words, meaning);
    } else {
        AddWord(table.words, cell.note);
    }
    AppendReason(cell.note, cell.red, Reason(rule));
}

void NoteSequence(DecodeTable& table, Label& cell, std::string_view token) {
    cell.note = "seq 0x";
    cell.note += token;
    AddWord(table.words, cell.note);
}

// The accessible floors in words: how many of floors 1 to 255 are set, and the runs of floors with the
// same side, "(1-10 both, 12 front)". A long list of runs is cut: the floors window shows them all.
// Written straight into the summary: a 0x20 message costs no allocation here.
void AddFloorWords(MessageWords& words, const MessageTokens& tokens) {
    const std::size_t end = kFloors20.offset + kFloors20.width;
    if (tokens.size() < end) {
        AddWord(words, "floors cut short (");
        AppendNumber(words.summary, tokens.size() - kFloors20.offset);
        words.summary += " of 64 bytes)";
        return;
    }
    std::array<std::uint8_t, kFloorBytes> bytes;
    for (std::size_t r = 0; r < bytes.size(); ++r)
        bytes[r] = modCommon::HexLowByte(tokens[kFloors20.offset + r]);
    const auto bitsOf = [&](int floor) {
        const int shift = 2 * ((floor - 1) % kFloorsPerByte);
        return static_cast<std::uint8_t>(
            (bytes[static_cast<std::size_t>((floor - 1) / kFloorsPerByte)] >> shift) & 0b11);
    };
    struct Run {
        int first, last;
        std::uint8_t bits;
    };
    constexpr std::size_t kMaxRuns = 6;
    std::array<Run, kMaxRuns> runs{};
    std::size_t runCount = 0;
    std::uint32_t accessible = 0;
    // Byte by byte: a byte without floors, the usual case, costs one test, and once the runs shown are
    // known only the count goes on.
    for (std::size_t r = 0; r < bytes.size(); ++r) {
        std::uint8_t value = bytes[r];
        if (r + 1 == bytes.size())
            value &= 0x3F; // floor 256 is not counted
        accessible +=
            static_cast<std::uint32_t>(std::popcount(static_cast<std::uint8_t>((value | value >> 1) & 0x55)));
        if (value == 0 || runCount > kMaxRuns)
            continue;
        for (int k = 0; k < kFloorsPerByte; ++k) {
            const int floor = static_cast<int>(r) * kFloorsPerByte + k + 1;
            const std::uint8_t bits = (value >> (2 * k)) & 0b11;
            if (bits == 0)
                continue;
            if (runCount > 0 && runCount <= kMaxRuns && runs[runCount - 1].last == floor - 1 &&
                runs[runCount - 1].bits == bits)
                runs[runCount - 1].last = floor;
            else if (runCount++ < kMaxRuns)
                runs[runCount - 1] = {floor, floor, bits};
        }
    }
    std::string& out = words.summary;
    if (accessible == 0) {
        AddWord(words, "no floor accessible");
    } else {
        AddWord(words, {});
        AppendNumber(out, accessible);
        out += accessible == 1 ? " floor accessible (" : " floors accessible (";
        for (std::size_t k = 0; k < std::min(runCount, kMaxRuns); ++k) {
            if (k > 0)
                out += ", ";
            AppendNumber(out, static_cast<std::uint32_t>(runs[k].first));
            if (runs[k].last > runs[k].first) {
                out += '-';
                AppendNumber(out, static_cast<std::uint32_t>(runs[k].last));
            }
            out += ' ';
            out += SideWord(runs[k].bits);
        }
        if (runCount > kMaxRuns)
            out += ", \u2026";
        out += ')';
    }
    if (bitsOf(kNoSuchFloor) != 0)
        out += ", floor 256 set (no such floor)";
}

void NoteGaps(DecodeTable& table, const MessageTokens& tokens) {
    MessageWords& words = table.words;
    words.invalid = 0;
    words.missing = 0;
    // One field per row of the table, each counted once.
    const auto note = [&](Label& cell, std::size_t byte, int row, int& lastRow, bool& rowCounted) {
        if (!cell.visible)
            return;
        if (row != lastRow) {
            lastRow = row;
            rowCounted = false;
        }
        if (cell.note.empty()) {
            if (byte >= tokens.size()) {
                cell.note = "missing: the message ends after byte ";
                AppendNumber(cell.note, tokens.size());
                if (!rowCounted)
                    ++words.missing;
                rowCounted = true;
                return;
            }
            cell.note = "not decoded: a value before it or here is no byte (over FFFF)";
        }
        if (cell.red && !rowCounted) {
            ++words.invalid;
            rowCounted = true;
        }
    };
    int lastRow = -1;
    bool rowCounted = false;
    for (std::size_t i = 0; i < table.lblHeader.size(); ++i)
        note(table.lblHeader[i], i, HeaderCellRow(static_cast<int>(i)), lastRow, rowCounted);
    for (std::size_t i = 0; i < table.lblData.size(); ++i)
        note(table.lblData[i], DataCellByte(table, i), kHeaderRows + DataCellRow(static_cast<int>(i)),
             lastRow, rowCounted);
}

} // namespace DecodeWords

std::string SummaryText(const MessageWords& words) {
    std::string text = words.summary;
    if (text.empty())
        return text;
    if (words.invalid == 0 && words.missing == 0) {
        text += " \u2014 all fields valid";
        return text;
    }
    text += " \u2014 ";
    AppendNumber(text, static_cast<std::uint32_t>(words.invalid));
    text += " invalid, ";
    AppendNumber(text, static_cast<std::uint32_t>(words.missing));
    text += " missing";
    return text;
}
