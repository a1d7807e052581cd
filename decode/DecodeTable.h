#pragma once

#include "common/ShortCopy.h"
#include "decode/MessageFormat.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The decode table of the main window as a plain value: one record per label, in arrays named like
// the window's label groups, where each stands and what each layout shows. The decoders are functions
// on it that judge the fields by their rules (FieldRules) and say them in words (DecodeWords); the
// window only draws it.

// One label of the table. top is in twips relative to the "Received data" frame.
struct Label {
    std::string caption;
    bool visible = true;
    bool red = false;
    int top = 0;
    // A value cell's field and value in words and, when red, why: the cell's tooltip and accessible
    // description, so that red is never the only cue.
    std::string note;
    // The caption's text as one number, so that a reader tells captions apart without comparing them:
    // where the fixed text it was set to stands and its size (SetFixedCaption), 0 when cleared
    // (ClearCaption), kOwnText after any other write. Whoever writes the caption directly sets it too.
    std::uint64_t textKey = 0;
    static constexpr std::uint64_t kOwnText = ~std::uint64_t{0};

    // What the label shows: how its caption was set does not count.
    bool operator==(const Label& other) const {
        return caption == other.caption && visible == other.visible && red == other.red && top == other.top &&
               note == other.note;
    }
};

// Sets a label's caption (text never points into it). The decoders set the same layout texts message
// after message: a caption of the same size is compared first and written over in place only where it
// differs. A cell cleared for the next message is filled by an append, which costs less than an
// assignment.
[[gnu::always_inline]] inline void SetCaption(Label& label, std::string_view text) {
    label.textKey = Label::kOwnText;
    std::string& caption = label.caption;
    if (caption.size() == text.size()) {
        if (!SameShort(caption, text))
            CopyShort(caption.data(), text.data(), text.size());
        return;
    }
    caption.clear();
    if (text.size() == 2)
        caption.append(text.data(), 2); // a size the compiler sees: no call to memcpy
    else
        caption.append(text);
}

// Sets a label to one of the format's fixed texts, which stay where they are and unchanged for the whole
// run: the label keeps where the text stands and its size, so the same text set again costs one
// comparison, and a reader tells two captions apart by that number alone (TableReader::ReadShape).
[[gnu::always_inline]] inline void SetFixedCaption(Label& label, std::string_view text) {
    constexpr int kSizeShift = 48; // above every address a program is given
    const std::uint64_t key = reinterpret_cast<std::uintptr_t>(text.data()) | std::uint64_t{text.size()}
                                                                                  << kSizeShift;
    if (label.textKey == key) [[likely]]
        return;
    SetCaption(label, text);
    // A text the number cannot tell, too long or too high, counts as the label's own.
    const bool told = reinterpret_cast<std::uintptr_t>(text.data()) >> kSizeShift == 0 &&
                      text.size() >> (64 - kSizeShift) == 0;
    label.textKey = told ? key : Label::kOwnText;
}

// Empties a label's caption.
inline void ClearCaption(Label& label) {
    label.caption.clear();
    label.textKey = 0;
}

// The message as the decoders see it: one text per byte, index 0 the first header byte. The views
// point into the selected line, which outlives every decode.
using MessageTokens = std::vector<std::string_view>;

// The message in words, written by the same decoders that set the cells.
struct MessageWords {
    std::string summary; // "0x10: gate 0012, floor 015, front side, VIP, seq 0x01"
    std::string gate;    // the gate number's four characters, when the message holds all of them
    int invalid = 0;     // shown fields with a value that breaks the format
    int missing = 0;     // shown fields the message lacks in whole or in part

    bool operator==(const MessageWords&) const = default;
};

// Which field rules (FieldRules::Rule, one bit each) judged the message the table shows and which it
// broke, set by the decoders as they colour the cells: the commissioning record counts rule by rule from
// here, so there is no second list of checks. A range rule is judged only when all its digits are
// present and are digits; a field the message lacks is judged by no rule.
struct RuleVerdicts {
    static constexpr std::size_t kMostRules = 32;
    std::uint32_t judged = 0;
    std::uint32_t broken = 0;
    // Of a broken rule, the offset in the message of the first byte that broke it (a range rule: the
    // field's first byte). Meaningful only where broken has the rule's bit.
    std::array<std::uint8_t, kMostRules> brokenAt{};

    bool operator==(const RuleVerdicts&) const = default;
};

struct DecodeTable {
    std::array<Label, 4> lblHeader;            // 0 Data length, 1 Version, 2 and 3 Reserve
    std::array<Label, 3> lblDataTypeH;         // type texts of header rows 1 to 3
    std::array<Label, 3> lblHeaderExplanation; // explanations of header rows 1 to 3
    std::array<Label, 16> lblData;             // data value cells (row of each: DataCellRow)
    std::array<Label, 7> lblDataTypeD;         // type texts of data rows 1 to 7
    std::array<Label, 7> lblDataExplanation;   // explanations of data rows 1 to 7
    Label lblCommand;                          // name labels of data rows 1 to 7
    Label lblGateNumber;
    Label lblDestFloor;
    Label lblDoorOpen;
    Label lblAttr;
    Label lblSeqNumber;
    Label lblReserve;
    bool btnDetailFloorsVisible = false;
    MessageWords words;
    RuleVerdicts verdicts;
    // Whether the decoders write the notes and the words. The headless reports print their own table
    // and turn them off: building the texts costs more than decoding the message.
    bool withWords = true;

    // The window's design state: every label visible with its design caption at its design top.
    DecodeTable();

    bool operator==(const DecodeTable&) const = default;
};

// Layout rows, shared with the window that draws the table.
using MessageFormat::kDataRows;
using MessageFormat::kHeaderRows;

// The value cells by the field each shows; a field of several bytes takes consecutive cells. A header
// cell shows the byte of its own index; a data cell the byte DataCellByte gives, kBase on from its
// index in the 0x10 and 0x11 layouts.
namespace HeaderCell {
inline constexpr std::size_t kLength = MessageFormat::kLengthOffset;
inline constexpr std::size_t kVersion = MessageFormat::kVersionOffset;
inline constexpr std::size_t kReserve = MessageFormat::kHeaderReserveOffset; // two cells
} // namespace HeaderCell
namespace DataCell {
inline constexpr std::size_t kBase = MessageFormat::kCommandOffset;
inline constexpr std::size_t kCommand = 0;
inline constexpr std::size_t kGate = MessageFormat::kGate10.offset - kBase;           // four cells
inline constexpr std::size_t kDestFloor = MessageFormat::kDestFloor10.offset - kBase; // three cells, 0x10
inline constexpr std::size_t kDoor = MessageFormat::kDoor10.offset - kBase;           // 0x10
inline constexpr std::size_t kAttribution = MessageFormat::kAttribution10.offset - kBase;
inline constexpr std::size_t kSequence = MessageFormat::kSequence10.offset - kBase;
inline constexpr std::size_t kReserve = MessageFormat::kReserve10.offset - kBase; // up to five cells
// The 0x11 reserve bytes stand in the gate's cells.
inline constexpr std::size_t kReserve11 = MessageFormat::kReserve11.offset - kBase;
} // namespace DataCell

// Data row (1 to 7) of value cell lblData(index), and the cell's column (0 to 4) within that row.
int DataCellRow(int index);
int DataCellColumn(int index);
// Header row (1 to 3) and column of value cell lblHeader(index).
int HeaderCellRow(int index);
int HeaderCellColumn(int index);
// Design tops (twips, relative to the frame) of value cells and explanations, and of name and type labels.
int HeaderCellTop(int row);
int HeaderNameTop(int row);
int DataCellTop(int row);
int DataNameTop(int row);

// The message byte a data cell shows: the 0x20 layout puts the 64 floor bytes in place of the cells of
// destination floor and door, so its later cells show bytes further on.
std::size_t DataCellByte(const DecodeTable& table, std::size_t cell);

// The name labels of data rows 1 to 7 in row order (lblCommand first).
std::array<Label*, 7> DataNameLabels(DecodeTable& table);
std::array<const Label*, 7> DataNameLabels(const DecodeTable& table);

// The tokens of a capture line's byte text (see modCommon::ByteText and SplitFields).
MessageTokens SplitMessage(std::string_view byteText);

// What one selection produced beyond the table.
struct SelectionResult {
    std::string_view byteText; // handed to the hex dump window
    bool floorsHandOver =
        false; // a 0x20 message decoded to its last step: hand byteText to the floors window
};

// The whole selection of a capture line: take its byte text, split it, reset the table, decode the
// header and, with at least five tokens, the command row and its body.
SelectionResult DecodeLine(DecodeTable& table, std::string_view line);

// The same for the tokens of one message: reset, header and, with at least five tokens, the command
// row and its body. True when a 0x20 body was decoded to its end (the floors hand-over is due).
bool DecodeMessage(DecodeTable& table, const MessageTokens& tokens);

// The summary line under the table: the words, then how many fields are invalid and missing. Empty
// while the table shows no message. (With the other words in DecodeWords.cpp.)
std::string SummaryText(const MessageWords& words);

// The per-selection reset: every value cell hidden, empty and red; type, explanation and data-row name
// labels hidden (captions kept); the "Details" button hidden.
void ClearDetailView(DecodeTable& table);

// The layouts the decoders set before they read a token, so that a message cut short still shows its
// whole layout: the value cells they are about to fill stand visible, empty and red.
void ShowHeaderLayout(DecodeTable& table);
void ShowCommandLayout(DecodeTable& table);
void ShowUnknownCommandLayout(DecodeTable& table);
void ShowLayout11(DecodeTable& table);
void ShowLayout10(DecodeTable& table);
void ShowLayout20(DecodeTable& table);

// The table defaults run at start-up and after Load and Clear: the empty skeleton of the 0x10 layout.
// (The window's own part of that reset, disabling Stop and setting FormatText, stays with the window.)
void InitDetailView(DecodeTable& table);
