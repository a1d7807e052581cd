#include "decode/FieldRules.h"

#include "decode/DecodeWords.h"

#include <span>

// The decoders: each lays out its part of the table, then judges the message's fields one by one, in
// the order they stand, by the rules above.

namespace {

using namespace MessageFormat;
using namespace DecodeWords;
using FieldRules::Passes;
using FieldRules::Rule;

// A rule the message broke, the first failing byte kept. Out of line: most messages break none.
[[gnu::noinline]] void NoteBroken(RuleVerdicts& verdicts, std::uint32_t bit, Rule rule, std::size_t offset) {
    if ((verdicts.broken & bit) != 0)
        return;
    verdicts.broken |= bit;
    verdicts.brokenAt[static_cast<std::size_t>(rule)] = static_cast<std::uint8_t>(offset);
}

// The message's verdict on rule, as the table colours the cell of the byte at offset.
inline void Judge(RuleVerdicts& verdicts, Rule rule, bool valid, std::size_t offset) {
    const std::uint32_t bit = FieldRules::RuleBit(rule);
    verdicts.judged |= bit;
    if (!valid) [[unlikely]]
        NoteBroken(verdicts, bit, rule, offset);
}

void SetCell(Label& cell, std::string_view token, bool valid) {
    cell.red = !valid;
    SetCaption(cell, token);
}

// The value of a token as the character fields take it; empty when the message lacks the token or its
// value ends the decoder.
std::optional<int> CharValue(const MessageTokens& tokens, std::size_t index) {
    if (index >= tokens.size())
        return std::nullopt;
    return FieldRules::CharValue(tokens[index]);
}

// A fixed-width field of ASCII digits where its format says and in the cells from firstCell: each byte
// is judged alone, then, when all of them are digits, the number they form. A field cut short gets no
// range check.
struct DigitField {
    Field format;
    std::size_t firstCell;
    Rule digitRule;
    Rule rangeRule;
};

// False when the decoder must stop, as for each field below.
bool ShowDigitField(DecodeTable& table, const MessageTokens& tokens, const DigitField& field) {
    const std::size_t width = field.format.width;
    const std::size_t firstToken = field.format.offset;
    const auto cells = std::span(table.lblData).subspan(field.firstCell, width);
    std::uint32_t number = 0;
    bool allDigits = true;
    std::size_t firstOther = 0; // the first byte that is no digit, when one is
    std::size_t shown = 0;
    std::string text; // with the words: the field as characters, a printable stand-in for any other byte
    for (; shown < width; ++shown) {
        const auto value = CharValue(tokens, firstToken + shown);
        if (!value)
            break;
        const bool digit = Passes(field.digitRule, static_cast<std::uint32_t>(*value));
        if (digit) {
            number = number * 10 + static_cast<std::uint32_t>(*value - '0');
        } else if (allDigits) {
            allDigits = false;
            firstOther = shown;
        }
        if (table.withWords)
            text.push_back(*value >= 0x20 && *value < 0x7F ? static_cast<char>(*value) : '?');
        SetCell(cells[shown], tokens[firstToken + shown], digit);
    }
    if (shown > 0)
        Judge(table.verdicts, field.digitRule, allDigits, firstToken + firstOther);
    const bool whole = shown == width;
    const bool outOfRange = whole && allDigits && !Passes(field.rangeRule, number);
    if (whole && allDigits)
        Judge(table.verdicts, field.rangeRule, !outOfRange, firstToken);
    for (std::size_t k = 0; k < shown; ++k)
        cells[k].red = cells[k].red || outOfRange;
    if (table.withWords)
        NoteDigitField(table, {cells.first(shown), std::span(tokens).subspan(firstToken, shown), text,
                               field.digitRule, field.rangeRule, outOfRange, whole});
    return whole;
}

// A one-character field.
bool ShowCharCell(DecodeTable& table, const MessageTokens& tokens, Field format, std::size_t cell,
                  Rule rule) {
    const auto value = CharValue(tokens, format.offset);
    if (!value)
        return false;
    Label& label = table.lblData[cell];
    const auto byte = static_cast<std::uint32_t>(*value);
    const bool valid = Passes(rule, byte);
    SetCell(label, tokens[format.offset], valid);
    Judge(table.verdicts, rule, valid, format.offset);
    if (table.withWords)
        NoteCharCell(table, label, tokens[format.offset], byte, rule);
    return true;
}

// Any sequence number passes, so its value is never taken (nor can it stop the decoder).
bool ShowSeqNumber(DecodeTable& table, const MessageTokens& tokens, Field format, Rule rule) {
    if (format.offset >= tokens.size())
        return false;
    Label& label = table.lblData[DataCell::kSequence];
    SetCell(label, tokens[format.offset], Passes(rule, 0));
    Judge(table.verdicts, rule, Passes(rule, 0), format.offset);
    if (table.withWords)
        NoteSequence(table, label, tokens[format.offset]);
    return true;
}

// Reserve bytes, each judged on its own.
bool ShowReserve(DecodeTable& table, const MessageTokens& tokens, Field format, std::size_t firstCell,
                 Rule rule) {
    std::size_t k = 0;
    std::size_t firstInvalid = format.width;
    for (; k < format.width && format.offset + k < tokens.size(); ++k) {
        const std::size_t token = format.offset + k;
        Label& cell = table.lblData[firstCell + k];
        const bool valid = Passes(rule, modCommon::HexValue(tokens[token]));
        SetCell(cell, tokens[token], valid);
        if (!valid && firstInvalid == format.width)
            firstInvalid = k;
        if (table.withWords)
            NoteReserve(cell, tokens[token], rule);
    }
    if (k > 0)
        Judge(table.verdicts, rule, firstInvalid == format.width, format.offset + firstInvalid);
    return k == format.width;
}

void ShowCommand11(DecodeTable& table, const MessageTokens& tokens) {
    ShowLayout11(table);
    if (table.withWords)
        NoteReserveOnly(table.words);
    ShowReserve(table, tokens, kReserve11, DataCell::kReserve11, Rule::Reserve11);
}

void ShowCommand10(DecodeTable& table, const MessageTokens& tokens) {
    ShowLayout10(table);
    if (!ShowDigitField(table, tokens, {kGate10, DataCell::kGate, Rule::GateDigit10, Rule::GateRange10}))
        return;
    if (!ShowDigitField(table, tokens,
                        {kDestFloor10, DataCell::kDestFloor, Rule::FloorDigit10, Rule::FloorRange10}))
        return;
    if (!ShowCharCell(table, tokens, kDoor10, DataCell::kDoor, Rule::Door10))
        return;
    if (!ShowCharCell(table, tokens, kAttribution10, DataCell::kAttribution, Rule::Attribution10))
        return;
    if (!ShowSeqNumber(table, tokens, kSequence10, Rule::Sequence10))
        return;
    ShowReserve(table, tokens, kReserve10, DataCell::kReserve, Rule::Reserve10);
}

// True when the body was decoded to its end (the floors hand-over is due). The floors field is not
// judged: the floors window shows every value it can hold.
bool ShowCommand20(DecodeTable& table, const MessageTokens& tokens) {
    ShowLayout20(table);
    return ShowDigitField(table, tokens, {kGate20, DataCell::kGate, Rule::GateDigit20, Rule::GateRange20}) &&
           (!table.withWords || (AddFloorWords(table.words, tokens), true)) &&
           ShowCharCell(table, tokens, kAttribution20, DataCell::kAttribution, Rule::Attribution20) &&
           ShowSeqNumber(table, tokens, kSequence20, Rule::Sequence20) &&
           ShowReserve(table, tokens, kReserve20, DataCell::kReserve, Rule::Reserve20);
}

} // namespace

void ShowHeader(DecodeTable& table, const MessageTokens& tokens) {
    ShowHeaderLayout(table);
    if (tokens.empty())
        return;
    // The length is judged against the three message sizes only, never against the tokens present.
    const std::uint32_t length = modCommon::HexValue(tokens[kLengthOffset]);
    Label& lengthCell = table.lblHeader[HeaderCell::kLength];
    const bool lengthValid = Passes(Rule::Length, length);
    SetCell(lengthCell, tokens[kLengthOffset], lengthValid);
    Judge(table.verdicts, Rule::Length, lengthValid, kLengthOffset);
    if (table.withWords)
        NoteLength(lengthCell, length);
    // Version "A", then the two reserve bytes.
    constexpr std::array<Rule, kHeaderBytes - 1> rules = {Rule::Version, Rule::HeaderReserve,
                                                          Rule::HeaderReserve};
    for (std::size_t i = HeaderCell::kVersion; i < kHeaderBytes; ++i) {
        if (i >= tokens.size())
            return;
        const Rule rule = rules[i - HeaderCell::kVersion];
        Label& cell = table.lblHeader[i];
        const bool valid = Passes(rule, modCommon::HexValue(tokens[i]));
        SetCell(cell, tokens[i], valid);
        Judge(table.verdicts, rule, valid, i);
        if (!table.withWords)
            continue;
        if (rule == Rule::Version)
            NoteVersion(cell, tokens[i]);
        else
            NoteReserve(cell, tokens[i], rule);
    }
}

bool ShowData(DecodeTable& table, const MessageTokens& tokens) {
    ShowCommandLayout(table);
    if (tokens.size() <= kCommandOffset)
        return false;
    const std::string_view token = tokens[kCommandOffset];
    // An over-long token cannot equal a listed command, so it falls through to the unlisted case.
    const std::uint32_t command = modCommon::HexValue(token);
    const bool listed = Passes(Rule::Command, command);
    SetCell(table.lblData[DataCell::kCommand], token, listed);
    Judge(table.verdicts, Rule::Command, listed, kCommandOffset);
    if (table.withWords)
        NoteCommand(table, token, listed);
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
        ShowUnknownCommandLayout(table);
        return false;
    }
}
