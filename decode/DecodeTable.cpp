#include "decode/DecodeTable.h"

#include "common/modCommon.h"
#include "decode/DecodeWords.h"
#include "decode/FieldRules.h"
#include "decode/LeftOutChecks.h"
#include "decode/MessageFormat.h"

#include <span>

// The table as a value: where each label stands, what each layout shows, and the resets.

namespace {

using namespace MessageFormat;
using namespace DecodeWords;

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

// Indices, into the arrays of data-row labels, of the rows the layouts treat apart.
constexpr std::size_t kCommandRow = 0;
constexpr std::size_t kGateRow = 1;
constexpr std::size_t kFloorRow = 2; // destination floor (0x10) or accessible floors (0x20)
constexpr std::size_t kDoorRow = 3;

// The cells each layout fills after the command: 0x10 up to its reserve byte, 0x20 to the last cell;
// the 0x20 layout hides the destination floor's and the door's cells.
constexpr std::size_t kBodyCells10 = DataCell::kReserve + kReserve10.width - DataCell::kGate;
constexpr std::size_t kBodyCells20 = DataCell::kReserve + kReserve20.width - DataCell::kGate;
constexpr std::size_t kHiddenCells20 = DataCell::kAttribution - DataCell::kDestFloor;
// The cells the table's defaults clear, those of the 0x10 layout.
constexpr std::size_t kCells10 = DataCell::kReserve + kReserve10.width;
// The 0x20 cells after the floors show the bytes its format places there (see DataCellByte).
static_assert(kGate20.offset == DataCell::kBase + DataCell::kGate &&
              kAttribution20.offset ==
                  DataCell::kBase + DataCell::kAttribution + kFloors20.width - kHiddenCells20 &&
              kSequence20.offset == kAttribution20.offset + 1 && kReserve20.offset == kSequence20.offset + 1);

void ResetCells(std::span<Label> cells, bool visible, bool red) {
    for (Label& cell : cells) {
        cell.visible = visible;
        ClearCaption(cell);
        if (!cell.note.empty()) // the headless reports never write one
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

// The name, type and explanation labels of the 0x10 and 0x20 layouts, set before any token is read so
// that a message cut short still shows its whole layout. An empty explanation keeps its old caption.
void ShowBodyLayout(DecodeTable& table, const std::array<std::string_view, kDataRows>& types,
                    const std::array<std::string_view, kDataRows>& explanations) {
    table.lblGateNumber.visible = true;
    SetFixedCaption(table.lblGateNumber, kDataRowNames[kGateRow]);
    table.lblDestFloor.visible = true;
    table.lblAttr.visible = true;
    table.lblSeqNumber.visible = true;
    table.lblReserve.visible = true;
    Show(table.lblDataTypeD);
    Show(table.lblDataExplanation);
    for (std::size_t r = 0; r < kDataRows; ++r) {
        if (!explanations[r].empty())
            SetFixedCaption(table.lblDataExplanation[r], explanations[r]);
        SetFixedCaption(table.lblDataTypeD[r], types[r]);
    }
}

// Puts the third row's labels back on their own line, undoing the 0x20 layout.
void PlaceFloorRowOnOwnLine(DecodeTable& table) {
    constexpr int row = kFloorRow + 1;
    table.lblDestFloor.top = DataNameTop(row);
    table.lblDataTypeD[kFloorRow].top = DataNameTop(row);
    table.lblDataExplanation[kFloorRow].top = DataCellTop(row);
}

} // namespace

DecodeTable::DecodeTable() {
    for (std::size_t i = 0; i < lblHeader.size(); ++i)
        lblHeader[i].top = HeaderCellTop(HeaderCellRow(static_cast<int>(i)));
    for (std::size_t r = 0; r < kHeaderRows; ++r) {
        SetFixedCaption(lblDataTypeH[r], kHeaderTypes[r]);
        lblDataTypeH[r].top = HeaderNameTop(static_cast<int>(r) + 1);
        lblHeaderExplanation[r].top = HeaderCellTop(static_cast<int>(r) + 1);
    }
    for (std::size_t i = 0; i < lblData.size(); ++i)
        lblData[i].top = DataCellTop(DataCellRow(static_cast<int>(i)));
    const auto names = DataNameLabels(*this);
    for (std::size_t r = 0; r < kDataRows; ++r) {
        const int row = static_cast<int>(r) + 1;
        SetFixedCaption(*names[r], kDataRowNames[r]);
        names[r]->top = DataNameTop(row);
        SetFixedCaption(lblDataTypeD[r], kTypes10[r]);
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

std::size_t DataCellByte(const DecodeTable& table, std::size_t cell) {
    const bool floorsLayout = table.btnDetailFloorsVisible;
    return DataCell::kBase + cell +
           (floorsLayout && cell >= DataCell::kAttribution ? kFloors20.width - kHiddenCells20 : 0);
}

MessageTokens SplitMessage(std::string_view byteText) {
    return modCommon::SplitFields(byteText);
}

SelectionResult DecodeLine(DecodeTable& table, std::string_view line) {
    SelectionResult result;
    result.byteText = modCommon::ByteText(line);
    result.floorsHandOver = DecodeMessage(table, SplitMessage(result.byteText));
    if (table.withWords && !table.words.summary.empty() && !LeftOutChecks::HasDateAndTime(line))
        table.words.summary += " (no date and time: bytes read from the line's second character)";
    return result;
}

bool DecodeMessage(DecodeTable& table, const MessageTokens& tokens) {
    ClearDetailView(table);
    ShowHeader(table, tokens);
    const bool floorsHandOver = tokens.size() > kCommandOffset && ShowData(table, tokens);
    if (!table.withWords)
        return floorsHandOver;
    if (tokens.size() <= kCommandOffset)
        NoteNoCommand(table.words, tokens.size());
    NoteGaps(table, tokens);
    LeftOutChecks::AppendLeftOutWords(table.words.summary, tokens);
    return floorsHandOver;
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
    table.verdicts.judged = 0;
    table.verdicts.broken = 0;
}

void ShowHeaderLayout(DecodeTable& table) {
    ShowEmptyRed(table.lblHeader);
    Show(table.lblHeaderExplanation);
    Show(table.lblDataTypeH);
    for (std::size_t r = 0; r < kHeaderRows; ++r) {
        SetFixedCaption(table.lblHeaderExplanation[r], kHeaderExplanations[r]);
        SetFixedCaption(table.lblDataTypeH[r], kHeaderTypes[r]);
    }
}

void ShowCommandLayout(DecodeTable& table) {
    table.lblCommand.visible = true;
    table.lblData[DataCell::kCommand].visible = true;
    table.lblDataExplanation[kCommandRow].visible = true;
    table.lblDataTypeD[kCommandRow].visible = true;
}

void ShowUnknownCommandLayout(DecodeTable& table) {
    SetFixedCaption(table.lblDataExplanation[kCommandRow], kUnknownCommand);
}

void ShowLayout11(DecodeTable& table) {
    table.lblGateNumber.visible = true;
    SetFixedCaption(table.lblGateNumber, kReserveRowName11);
    ShowEmptyRed(std::span(table.lblData).subspan(DataCell::kReserve11, kReserve11.width));
    Show(std::span(table.lblDataExplanation).first(kExplanations11.size()));
    Show(std::span(table.lblDataTypeD).first(kTypes11.size()));
    for (std::size_t r = 0; r < kTypes11.size(); ++r) {
        SetFixedCaption(table.lblDataExplanation[r], kExplanations11[r]);
        SetFixedCaption(table.lblDataTypeD[r], kTypes11[r]);
    }
}

void ShowLayout10(DecodeTable& table) {
    SetFixedCaption(table.lblDestFloor, kDataRowNames[kFloorRow]);
    table.lblDoorOpen.visible = true;
    ShowEmptyRed(std::span(table.lblData).subspan(DataCell::kGate, kBodyCells10));
    ShowBodyLayout(table, kTypes10, kExplanations10);
    PlaceFloorRowOnOwnLine(table);
}

// The accessible floors take the band of rows 3 and 4, in place of destination floor and door opening.
void ShowLayout20(DecodeTable& table) {
    SetFixedCaption(table.lblDestFloor, kFloorsRowName);
    table.lblDestFloor.top = kFloorsNameTop;
    table.lblDoorOpen.visible = false;
    ShowEmptyRed(std::span(table.lblData).subspan(DataCell::kGate, kBodyCells20));
    Hide(std::span(table.lblData).subspan(DataCell::kDestFloor, kHiddenCells20));
    ShowBodyLayout(table, kTypes20, kExplanations20);
    table.lblDataExplanation[kFloorRow].top = kFloorsExplanationTop;
    table.lblDataExplanation[kDoorRow].visible = false;
    table.lblDataTypeD[kFloorRow].top = kFloorsNameTop;
    table.lblDataTypeD[kDoorRow].visible = false;
    table.btnDetailFloorsVisible = true;
}

void InitDetailView(DecodeTable& table) {
    ShowEmptyNormal(table.lblHeader);
    for (Label& explanation : table.lblHeaderExplanation)
        ClearCaption(explanation);
    for (std::size_t r = 0; r < kHeaderRows; ++r)
        SetFixedCaption(table.lblDataTypeH[r], kHeaderTypes[r]);
    table.lblGateNumber.visible = true;
    table.lblDestFloor.visible = true;
    SetFixedCaption(table.lblDestFloor, kDataRowNames[kFloorRow]);
    table.lblDoorOpen.visible = true;
    table.lblAttr.visible = true;
    table.lblSeqNumber.visible = true;
    table.lblReserve.visible = true;
    ShowEmptyNormal(std::span(table.lblData).first(kCells10));
    table.lblDataExplanation[kDoorRow].visible = true;
    SetFixedCaption(table.lblDataTypeD[kFloorRow], kTypes10[kFloorRow]);
    table.lblDataTypeD[kDoorRow].visible = true;
    SetFixedCaption(table.lblDataTypeD[kDoorRow], kTypes10[kDoorRow]);
    PlaceFloorRowOnOwnLine(table);
    for (Label& explanation : table.lblDataExplanation)
        ClearCaption(explanation);
    for (Label& cell : std::span(table.lblData).subspan(kCells10)) {
        cell.visible = false;
        cell.note.clear();
    }
    table.btnDetailFloorsVisible = false;
    table.words = MessageWords();
    table.verdicts = RuleVerdicts();
}
