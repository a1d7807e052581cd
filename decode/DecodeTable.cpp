#include "decode/DecodeTable.h"

#include "common/modCommon.h"
#include "decode/MessageFormat.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

namespace {

using namespace MessageFormat;

// Row and column of each value cell, indexed by cell.
constexpr std::array<int, 16> kDataCellRows = {1, 2, 2, 2, 2, 3, 3, 3, 4, 5, 6, 7, 7, 7, 7, 7};
constexpr std::array<int, 16> kDataCellColumns = {0, 0, 1, 2, 3, 0, 1, 2, 0, 0, 0, 0, 1, 2, 3, 4};
constexpr std::array<int, 4> kHeaderCellRows = {1, 2, 3, 3};
constexpr std::array<int, 4> kHeaderCellColumns = {0, 0, 0, 1};
constexpr std::array<int, kHeaderRows> kHeaderCellTops = {2280, 2520, 2760};
constexpr std::array<int, kHeaderRows> kHeaderNameTops = {2310, 2550, 2810};
constexpr int kDataCellTop = 3360;
constexpr int kDataNameTop = 3410;
constexpr int kRowPitch = 240;

// Tops of the third data row's labels while they stand centred on the band of rows 3 and 4.
constexpr int kFloorsNameTop = 4010;
constexpr int kFloorsExplanationTop = 3960;

constexpr std::array<std::string_view, kHeaderRows> kHeaderTypes = {"BYTE(1)", "CHAR(1)", "BYTE(2)"};
constexpr std::array<std::string_view, kHeaderRows> kHeaderExplanations = {
    "Byte size of the communication data", "\"A\" (fixed)", "0x00 (fixed)"};
constexpr auto& kDataNames = kDataRowNames;
constexpr std::array<std::string_view, kDataRows> kTypes10 = {"BYTE(1)", "CHAR(4)", "CHAR(3)", "CHAR(1)",
                                                              "CHAR(1)", "BYTE(1)", "BYTE(1)"};
constexpr std::array<std::string_view, kDataRows> kExplanations10 = {
    "0x10 (fixed)",
    "\"0001\" to \"9999\"",
    "\"001\" to \"255\" (Building Floor Name)",
    "\"1\": Front side, \"2\": Rear side, \"3\": Both-side",
    "\"0\": General, \"1\": Handicapped person, \"2\": VIP",
    "0x00 to 0xFF",
    "0x00 (fixed)"};
// Row 4 is hidden in the 0x20 layout: its type text is emptied, its explanation left as it was.
constexpr std::array<std::string_view, kDataRows> kTypes20 = {"BYTE(1)", "CHAR(4)", "BYTE(64)", "",
                                                              "CHAR(1)", "BYTE(1)", "BYTE(5)"};
constexpr std::array<std::string_view, kDataRows> kExplanations20 = {
    "0x20 (fixed)", "\"0001\" to \"0255\"", kFloorsRowName, "", "\"0\": General, \"2\": VIP",
    "0x00 to 0xFF", "0x00 (fixed)"};
// Indices of the labels of data rows 3 (destination floor) and 4 (door opening).
constexpr std::size_t kFloorRow = 2;
constexpr std::size_t kDoorRow = 3;

constexpr std::string_view kUnknownCommand = "0x10 or 0x11 or 0x20";

void ResetCells(std::span<Label> cells, bool visible, bool red) {
    for (Label& cell : cells) {
        cell.visible = visible;
        cell.caption.clear();
        cell.note.clear();
        cell.red = red;
    }
}

// Cells a decoder is about to fill: any of them it cannot fill stays visible, empty and red.
void ShowEmptyRed(std::span<Label> cells) {
    ResetCells(cells, true, true);
}
void HideEmptyRed(std::span<Label> cells) {
    ResetCells(cells, false, true);
}
void ShowEmptyNormal(std::span<Label> cells) {
    ResetCells(cells, true, false);
}

void Hide(std::span<Label> labels) {
    for (Label& label : labels)
        label.visible = false;
}

void Show(std::span<Label> labels) {
    for (Label& label : labels)
        label.visible = true;
}

void SetCell(Label& cell, std::string_view token, bool valid) {
    cell.red = !valid;
    cell.caption = token;
}

// The words are written into strings the table keeps, so after the first few messages a decode
// allocates nothing for them.

void AppendNumber(std::string& out, std::uint32_t number) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

// A byte meant as a character: the character when it is printable ASCII, its hex text otherwise.
void AppendChar(std::string& out, std::string_view token, std::uint32_t value) {
    if (value >= 0x20 && value < 0x7F) {
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

// "what value", and the reason when the cell is red.
void NoteValue(Label& cell, std::string_view what, std::string_view value, std::string_view mustBe) {
    cell.note = what;
    cell.note += ' ';
    cell.note += value;
    AppendReason(cell.note, cell.red, mustBe);
}

void NoteLength(Label& cell, std::uint32_t length) {
    cell.note = "data length ";
    AppendNumber(cell.note, length);
    if (cell.red) {
        cell.note += ": must be 12 (0x10), 4 (0x11) or 76 (0x20)";
    } else {
        cell.note += ": ";
        AppendNumber(cell.note, static_cast<std::uint32_t>(MessageSize(length)));
        cell.note += " bytes with the header";
    }
}

// Appends one field's words to the summary, after the command's colon or a comma.
void AddWord(MessageWords& words, std::string_view word) {
    words.summary += !words.summary.empty() && words.summary.back() == ':' ? " " : ", ";
    words.summary += word;
}

bool HasValue(std::string_view token, int expected) {
    return static_cast<std::int64_t>(modCommon::HexValue(token)) == expected;
}

// The value of a token as the character tests of the 0x10 and 0x20 bodies take it. Empty when the
// message lacks the token or the value does not fit a signed 16-bit integer: either ends the decoder.
std::optional<int> CharValue(const MessageTokens& tokens, std::size_t index) {
    if (index >= tokens.size())
        return std::nullopt;
    const std::uint32_t value = modCommon::HexValue(tokens[index]);
    if (value > static_cast<std::uint32_t>(std::numeric_limits<std::int16_t>::max()))
        return std::nullopt;
    return static_cast<int>(value);
}

bool IsDigit(int value) {
    return value >= '0' && value <= '9';
}

// The words of a field of digits: its name, how far its number may go, as the explanation gives it.
struct DigitField {
    std::string_view name;
    std::string_view range; // "outside 0001 to 9999"
};

// A fixed-width field of ASCII digits: each byte is judged alone, then, when all of them are digits,
// the number they form. A field cut short gets no range check. False when the decoder must stop.
bool ShowDigitField(DecodeTable& table, const MessageTokens& tokens, std::size_t firstToken,
                    std::size_t firstCell, std::size_t width, int maxNumber, const DigitField& words) {
    const auto cells = std::span(table.lblData).subspan(firstCell, width);
    int number = 0;
    bool allDigits = true;
    std::size_t shown = 0;
    std::string text; // the field as characters, a printable stand-in for any other byte
    for (; shown < width; ++shown) {
        const auto value = CharValue(tokens, firstToken + shown);
        if (!value)
            break;
        const bool digit = IsDigit(*value);
        if (digit)
            number = number * 10 + (*value - '0');
        else
            allDigits = false;
        text.push_back(*value >= 0x20 && *value < 0x7F ? static_cast<char>(*value) : '?');
        SetCell(cells[shown], tokens[firstToken + shown], digit);
    }
    const bool whole = shown == width;
    const bool outOfRange = whole && allDigits && (number < 1 || number > maxNumber);
    for (std::size_t k = 0; k < shown; ++k)
        cells[k].red = cells[k].red || outOfRange;
    if (!table.withWords)
        return whole;
    for (std::size_t k = 0; k < shown; ++k) {
        Label& cell = cells[k];
        cell.note = words.name;
        cell.note += ' ';
        cell.note += text;
        if (outOfRange) {
            AppendReason(cell.note, true, words.range);
        } else if (cell.red) {
            // Quoted, so that a colon or a blank reads as the byte it is.
            const std::uint32_t value = modCommon::HexValue(tokens[firstToken + k]);
            const bool printable = value >= 0x20 && value < 0x7F;
            cell.note += printable ? ": \"" : ": ";
            AppendChar(cell.note, tokens[firstToken + k], value);
            cell.note += printable ? "\" is not a digit" : " is not a digit";
        }
    }
    if (shown > 0) {
        AddWord(table.words, std::string_view(cells[0].note).substr(0, words.name.size() + 1 + text.size()));
        if (whole && words.name == "gate")
            table.words.gate = text;
    }
    return whole;
}

// A one-character field and what its values mean: nullptr for a value the format does not name.
struct CharField {
    std::string_view name;
    const char* (*meaning)(int value);
    std::string_view mustBe; // the reason when red
};

template <typename Rule>
bool ShowCharCell(DecodeTable& table, const MessageTokens& tokens, std::size_t token, std::size_t cell,
                  Rule valid, const CharField& words) {
    const auto value = CharValue(tokens, token);
    if (!value)
        return false;
    Label& label = table.lblData[cell];
    SetCell(label, tokens[token], valid(*value));
    if (!table.withWords)
        return true;
    label.note = words.name;
    label.note += ' ';
    AppendChar(label.note, tokens[token], static_cast<std::uint32_t>(*value));
    const char* meaning = label.red ? nullptr : words.meaning(*value);
    if (meaning) {
        label.note += ": ";
        label.note += meaning;
        AddWord(table.words, meaning);
    } else {
        AddWord(table.words, label.note);
    }
    AppendReason(label.note, label.red, words.mustBe);
    return true;
}

const char* DoorMeaning(int value) {
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

const char* AttributionMeaning(int value) {
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

const CharField kDoorWords{"door", DoorMeaning, "must be 1, 2 or 3"};
const CharField kAttributionWords10{"attribution", AttributionMeaning, "must be 0 to 9 or A to F"};
const CharField kAttributionWords20{"attribution", AttributionMeaning, "must be 0 or 2"};

// Any sequence number is valid, so its value is never taken.
bool ShowSeqNumber(DecodeTable& table, const MessageTokens& tokens, std::size_t token, std::size_t cell) {
    if (token >= tokens.size())
        return false;
    Label& label = table.lblData[cell];
    SetCell(label, tokens[token], true);
    if (!table.withWords)
        return true;
    label.note = "seq 0x";
    label.note += tokens[token];
    AddWord(table.words, label.note);
    return true;
}

// Reserve bytes, each of which must be 0.
bool ShowReserve(DecodeTable& table, const MessageTokens& tokens, std::size_t firstToken,
                 std::size_t firstCell, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        if (firstToken + k >= tokens.size())
            return false;
        SetDataValue(table, static_cast<int>(firstCell + k), tokens[firstToken + k], 0);
        if (table.withWords)
            NoteValue(table.lblData[firstCell + k], "reserve", tokens[firstToken + k], "must be 00");
    }
    return true;
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

// The accessible floors in words: how many of floors 1 to 255 are set, and the runs of floors with the
// same side, "(1-10 both, 12 front)". A long list of runs is cut: the floors window shows them all.
// Written straight into the summary: a 0x20 message costs no allocation here.
void AddFloorWords(MessageWords& words, const MessageTokens& tokens) {
    const std::size_t end = kFloors20.offset + kFloors20.width;
    if (tokens.size() < end) {
        AddWord(words, "floors cut short (");
        AppendNumber(words.summary, static_cast<std::uint32_t>(tokens.size() - kFloors20.offset));
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

// The byte of the message a data cell shows: the 0x20 layout skips the 64 floor bytes after the gate.
std::size_t DataCellByte(const DecodeTable& table, std::size_t cell) {
    const bool floorsLayout = table.btnDetailFloorsVisible;
    return kCommandOffset + cell + (floorsLayout && cell >= 9 ? kFloors20.width - 4 : 0);
}

// Cells a decoder made visible but left unfilled, because the message ends before them or because a
// value that is no byte stopped it, say so; every shown field is counted as invalid or missing.
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
                AppendNumber(cell.note, static_cast<std::uint32_t>(tokens.size()));
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

// The name, type and explanation labels of the 0x10 and 0x20 layouts, set before any token is read so
// that a message cut short still shows its whole layout. An empty explanation keeps its old caption.
void ShowBodyLayout(DecodeTable& table, const std::array<std::string_view, kDataRows>& types,
                    const std::array<std::string_view, kDataRows>& explanations) {
    table.lblGateNumber.visible = true;
    table.lblGateNumber.caption = kDataNames[1];
    table.lblDestFloor.visible = true;
    table.lblAttr.visible = true;
    table.lblSeqNumber.visible = true;
    table.lblReserve.visible = true;
    Show(table.lblDataTypeD);
    Show(table.lblDataExplanation);
    for (std::size_t r = 0; r < kDataRows; ++r) {
        if (!explanations[r].empty())
            table.lblDataExplanation[r].caption = explanations[r];
        table.lblDataTypeD[r].caption = types[r];
    }
}

// Puts the third row's labels back on their own line, undoing the 0x20 layout.
void PlaceFloorRowOnOwnLine(DecodeTable& table) {
    table.lblDestFloor.top = DataNameTop(3);
    table.lblDataTypeD[kFloorRow].top = DataNameTop(3);
    table.lblDataExplanation[kFloorRow].top = DataCellTop(3);
}

} // namespace

DecodeTable::DecodeTable() {
    for (std::size_t i = 0; i < lblHeader.size(); ++i)
        lblHeader[i].top = HeaderCellTop(HeaderCellRow(static_cast<int>(i)));
    for (std::size_t r = 0; r < kHeaderRows; ++r) {
        lblDataTypeH[r].caption = kHeaderTypes[r];
        lblDataTypeH[r].top = HeaderNameTop(static_cast<int>(r) + 1);
        lblHeaderExplanation[r].top = HeaderCellTop(static_cast<int>(r) + 1);
    }
    for (std::size_t i = 0; i < lblData.size(); ++i)
        lblData[i].top = DataCellTop(DataCellRow(static_cast<int>(i)));
    const auto names = DataNameLabels(*this);
    for (std::size_t r = 0; r < kDataRows; ++r) {
        const int row = static_cast<int>(r) + 1;
        names[r]->caption = kDataNames[r];
        names[r]->top = DataNameTop(row);
        lblDataTypeD[r].caption = kTypes10[r];
        lblDataTypeD[r].top = DataNameTop(row);
        lblDataExplanation[r].top = DataCellTop(row);
    }
}

int DataCellRow(int index) {
    return kDataCellRows[static_cast<std::size_t>(index)];
}
int DataCellColumn(int index) {
    return kDataCellColumns[static_cast<std::size_t>(index)];
}
int HeaderCellRow(int index) {
    return kHeaderCellRows[static_cast<std::size_t>(index)];
}
int HeaderCellColumn(int index) {
    return kHeaderCellColumns[static_cast<std::size_t>(index)];
}
int HeaderCellTop(int row) {
    return kHeaderCellTops[static_cast<std::size_t>(row - 1)];
}
int HeaderNameTop(int row) {
    return kHeaderNameTops[static_cast<std::size_t>(row - 1)];
}
int DataCellTop(int row) {
    return kDataCellTop + kRowPitch * (row - 1);
}
int DataNameTop(int row) {
    return kDataNameTop + kRowPitch * (row - 1);
}

std::array<Label*, 7> DataNameLabels(DecodeTable& table) {
    return {&table.lblCommand, &table.lblGateNumber, &table.lblDestFloor, &table.lblDoorOpen,
            &table.lblAttr,    &table.lblSeqNumber,  &table.lblReserve};
}

std::array<const Label*, 7> DataNameLabels(const DecodeTable& table) {
    return {&table.lblCommand, &table.lblGateNumber, &table.lblDestFloor, &table.lblDoorOpen,
            &table.lblAttr,    &table.lblSeqNumber,  &table.lblReserve};
}

MessageTokens SplitMessage(std::string_view byteText) {
    return modCommon::SplitFields(byteText);
}

SelectionResult DecodeLine(DecodeTable& table, std::string_view line) {
    SelectionResult result;
    result.byteText = modCommon::ByteText(line);
    result.floorsHandOver = DecodeMessage(table, SplitMessage(result.byteText));
    return result;
}

bool DecodeMessage(DecodeTable& table, const MessageTokens& tokens) {
    ClearDetailView(table);
    ShowHeader(table, tokens);
    const bool floorsHandOver = tokens.size() > kCommandOffset && ShowData(table, tokens);
    if (!table.withWords)
        return floorsHandOver;
    if (tokens.size() <= kCommandOffset)
        table.words.summary = tokens.empty() ? "no bytes" : "header only, no command byte";
    NoteGaps(table, tokens);
    return floorsHandOver;
}

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

void ClearDetailView(DecodeTable& table) {
    HideEmptyRed(table.lblHeader);
    Hide(table.lblHeaderExplanation);
    Hide(table.lblDataTypeH);
    HideEmptyRed(table.lblData);
    Hide(table.lblDataExplanation);
    Hide(table.lblDataTypeD);
    for (Label* name : DataNameLabels(table))
        name->visible = false;
    table.btnDetailFloorsVisible = false;
    table.words.summary.clear();
    table.words.gate.clear();
    table.words.invalid = 0;
    table.words.missing = 0;
}

void SetHeaderValue(DecodeTable& table, int index, std::string_view token, int expected) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.lblHeader.size())
        return;
    SetCell(table.lblHeader[static_cast<std::size_t>(index)], token, HasValue(token, expected));
}

void SetDataValue(DecodeTable& table, int index, std::string_view token, int expected) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.lblData.size())
        return;
    SetCell(table.lblData[static_cast<std::size_t>(index)], token, HasValue(token, expected));
}

void ShowHeader(DecodeTable& table, const MessageTokens& tokens) {
    ShowEmptyRed(table.lblHeader);
    Show(table.lblHeaderExplanation);
    Show(table.lblDataTypeH);
    for (std::size_t r = 0; r < kHeaderRows; ++r) {
        table.lblHeaderExplanation[r].caption = kHeaderExplanations[r];
        table.lblDataTypeH[r].caption = kHeaderTypes[r];
    }
    if (tokens.empty())
        return;
    // The length is judged against the three message sizes only, never against the tokens present.
    const std::uint32_t length = modCommon::HexValue(tokens[0]);
    Label& lengthCell = table.lblHeader[0];
    SetCell(lengthCell, tokens[0],
            length == kDataLength10 || length == kDataLength11 || length == kDataLength20);
    if (table.withWords)
        NoteLength(lengthCell, length);
    // Version "A", then the two reserve bytes.
    constexpr std::array<int, 3> expected = {kVersion, 0, 0};
    for (std::size_t i = 1; i <= expected.size(); ++i) {
        if (i >= tokens.size())
            return;
        SetHeaderValue(table, static_cast<int>(i), tokens[i], expected[i - 1]);
        if (!table.withWords)
            continue;
        Label& cell = table.lblHeader[i];
        if (i == kVersionOffset) {
            cell.note = "version ";
            AppendChar(cell.note, tokens[i], modCommon::HexValue(tokens[i]));
            AppendReason(cell.note, cell.red, "must be A");
        } else {
            NoteValue(cell, "reserve", tokens[i], "must be 00");
        }
    }
}

bool ShowData(DecodeTable& table, const MessageTokens& tokens) {
    table.lblCommand.visible = true;
    table.lblData[0].visible = true;
    table.lblDataExplanation[0].visible = true;
    table.lblDataTypeD[0].visible = true;
    if (tokens.size() <= kCommandOffset)
        return false;
    const std::string_view token = tokens[kCommandOffset];
    // An over-long token cannot equal a listed command, so it falls through to the unlisted case.
    const std::uint32_t command = modCommon::HexValue(token);
    const bool listed = command == kCommand10 || command == kCommand11 || command == kCommand20;
    SetCell(table.lblData[0], token, listed);
    if (table.withWords) {
        Label& commandCell = table.lblData[0];
        commandCell.note = "command 0x";
        commandCell.note += token;
        AppendReason(commandCell.note, commandCell.red, "must be 0x10, 0x11 or 0x20");
        table.words.summary = listed ? "0x" : "command 0x";
        table.words.summary += token;
        table.words.summary += listed ? ":" : ": unknown";
    }
    switch (command) {
    case kCommand11:
        ShowCommand11(table, tokens);
        return false;
    case kCommand10:
        ShowCommand10(table, tokens);
        return false;
    case kCommand20:
        return ShowCommand20(table, tokens);
    default:
        table.lblDataExplanation[0].caption = kUnknownCommand;
        return false;
    }
}

void ShowCommand11(DecodeTable& table, const MessageTokens& tokens) {
    table.lblGateNumber.visible = true;
    table.lblGateNumber.caption = kReserveRowName11;
    ShowEmptyRed(std::span(table.lblData).subspan(1, 3));
    Show(std::span(table.lblDataExplanation).first(2));
    Show(std::span(table.lblDataTypeD).first(2));
    table.lblDataExplanation[0].caption = "0x11 (fixed)";
    table.lblDataExplanation[1].caption = "0x00 (fixed)";
    table.lblDataTypeD[0].caption = "BYTE(1)";
    table.lblDataTypeD[1].caption = "BYTE(3)";
    if (table.withWords)
        AddWord(table.words, "reserve bytes only");
    ShowReserve(table, tokens, kReserve11.offset, 1, kReserve11.width);
}

void ShowCommand10(DecodeTable& table, const MessageTokens& tokens) {
    table.lblDestFloor.caption = kDataNames[kFloorRow];
    table.lblDoorOpen.visible = true;
    ShowEmptyRed(std::span(table.lblData).subspan(1, 11));
    ShowBodyLayout(table, kTypes10, kExplanations10);
    PlaceFloorRowOnOwnLine(table);

    if (!ShowDigitField(table, tokens, kGate10.offset, 1, kGate10.width, kGateMax10,
                        {"gate", "outside 0001 to 9999"}))
        return;
    if (!ShowDigitField(table, tokens, kDestFloor10.offset, 5, kDestFloor10.width, kDestFloorMax,
                        {"floor", "outside 001 to 255"}))
        return;
    if (!ShowCharCell(
            table, tokens, kDoor10.offset, 8, [](int v) { return v >= kDoorFront && v <= kDoorBoth; },
            kDoorWords))
        return;
    if (!ShowCharCell(
            table, tokens, kAttribution10.offset, 9,
            [](int v) { return IsDigit(v) || (v >= 'A' && v <= 'F'); }, kAttributionWords10))
        return;
    if (!ShowSeqNumber(table, tokens, kSequence10.offset, 10))
        return;
    ShowReserve(table, tokens, kReserve10.offset, 11, kReserve10.width);
}

bool ShowCommand20(DecodeTable& table, const MessageTokens& tokens) {
    table.lblDestFloor.caption = kFloorsRowName;
    table.lblDestFloor.top = kFloorsNameTop;
    table.lblDoorOpen.visible = false;
    ShowEmptyRed(std::span(table.lblData).subspan(1, 15));
    Hide(std::span(table.lblData).subspan(5, 4));
    ShowBodyLayout(table, kTypes20, kExplanations20);
    table.lblDataExplanation[kFloorRow].top = kFloorsExplanationTop;
    table.lblDataExplanation[kDoorRow].visible = false;
    table.lblDataTypeD[kFloorRow].top = kFloorsNameTop;
    table.lblDataTypeD[kDoorRow].visible = false;
    table.btnDetailFloorsVisible = true;

    return ShowDigitField(table, tokens, kGate20.offset, 1, kGate20.width, kGateMax20,
                          {"gate", "outside 0001 to 0255"}) &&
           (!table.withWords || (AddFloorWords(table.words, tokens), true)) &&
           ShowCharCell(
               table, tokens, kAttribution20.offset, 9,
               [](int v) { return v == kAttrGeneral || v == kAttrVip; }, kAttributionWords20) &&
           ShowSeqNumber(table, tokens, kSequence20.offset, 10) &&
           ShowReserve(table, tokens, kReserve20.offset, 11, kReserve20.width);
}

void InitDetailView(DecodeTable& table) {
    ShowEmptyNormal(table.lblHeader);
    for (Label& explanation : table.lblHeaderExplanation)
        explanation.caption.clear();
    for (std::size_t r = 0; r < kHeaderRows; ++r)
        table.lblDataTypeH[r].caption = kHeaderTypes[r];
    table.lblGateNumber.visible = true;
    table.lblDestFloor.visible = true;
    table.lblDestFloor.caption = kDataNames[kFloorRow];
    table.lblDoorOpen.visible = true;
    table.lblAttr.visible = true;
    table.lblSeqNumber.visible = true;
    table.lblReserve.visible = true;
    ShowEmptyNormal(std::span(table.lblData).first(12));
    table.lblDataExplanation[kDoorRow].visible = true;
    table.lblDataTypeD[kFloorRow].caption = kTypes10[kFloorRow];
    table.lblDataTypeD[kDoorRow].visible = true;
    table.lblDataTypeD[kDoorRow].caption = kTypes10[kDoorRow];
    PlaceFloorRowOnOwnLine(table);
    for (Label& explanation : table.lblDataExplanation)
        explanation.caption.clear();
    for (Label& cell : std::span(table.lblData).subspan(12)) {
        cell.visible = false;
        cell.note.clear();
    }
    table.btnDetailFloorsVisible = false;
    table.words = MessageWords();
}
