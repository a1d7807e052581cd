#include "report/TableRows.h"

#include <algorithm>

namespace {

std::string_view ShownText(const Label& label) {
    return label.visible ? std::string_view(label.caption) : std::string_view();
}

bool PlainCell(const Label& cell) {
    const std::string& text = cell.caption;
    const auto printable = [](char c) { return c > ' ' && c < 0x7F; };
    return !cell.red && text.size() == 2 && printable(text[0]) && printable(text[1]);
}

} // namespace

TableReader::TableReader(const DecodeTable& table) {
    for (int r = 0; r < kHeaderRows; ++r) {
        RowLabels& row = m_rows[static_cast<std::size_t>(r)];
        row.fixedName = MessageFormat::kHeaderRowNames[static_cast<std::size_t>(r)];
        row.type = &table.lblDataTypeH[static_cast<std::size_t>(r)];
        row.explanation = &table.lblHeaderExplanation[static_cast<std::size_t>(r)];
    }
    const auto names = DataNameLabels(table);
    for (int d = 0; d < kDataRows; ++d) {
        RowLabels& row = m_rows[static_cast<std::size_t>(kHeaderRows + d)];
        row.name = names[static_cast<std::size_t>(d)];
        row.type = &table.lblDataTypeD[static_cast<std::size_t>(d)];
        row.explanation = &table.lblDataExplanation[static_cast<std::size_t>(d)];
    }
    // Cells by row and column as the window lays them out.
    const auto place = [this](int layoutRow, int column, const Label& cell) {
        RowLabels& row = m_rows[static_cast<std::size_t>(layoutRow)];
        row.cells[static_cast<std::size_t>(column)] = &cell;
        row.cellCount = std::max(row.cellCount, column + 1);
    };
    for (int i = 0; i < static_cast<int>(table.lblHeader.size()); ++i)
        place(HeaderCellRow(i) - 1, HeaderCellColumn(i), table.lblHeader[static_cast<std::size_t>(i)]);
    for (int i = 0; i < static_cast<int>(table.lblData.size()); ++i)
        place(kHeaderRows + DataCellRow(i) - 1, DataCellColumn(i),
              table.lblData[static_cast<std::size_t>(i)]);
}

void TableReader::Read(TableRows& rows) const {
    // Kept in locals, not in rows, while the labels are read: the compiler cannot tell that writing rows
    // leaves the labels unchanged.
    int count = 0;
    bool valid = true;
    bool plain = true;
    std::uint64_t sizes = 0;
    for (const RowLabels& labels : m_rows) {
        if (labels.name && !labels.name->visible)
            continue;
        TableRow& row = rows.rows[static_cast<std::size_t>(count++)];
        row.name = labels.name ? std::string_view(labels.name->caption) : labels.fixedName;
        row.type = ShownText(*labels.type);
        row.explanation = ShownText(*labels.explanation);
        row.dataRow = labels.name != nullptr;
        int cellCount = 0;
        bool rowValid = true;
        for (int c = 0; c < labels.cellCount; ++c) {
            const Label* cell = labels.cells[static_cast<std::size_t>(c)];
            if (!cell || !cell->visible)
                continue;
            row.cells[static_cast<std::size_t>(cellCount++)] = TableCell{cell};
            rowValid = rowValid && !cell->red;
            plain = plain && PlainCell(*cell);
        }
        row.cellCount = cellCount;
        row.valid = rowValid;
        valid = valid && rowValid;
        sizes = sizes * 0x100000001B3 + (row.name.size() << 24 | row.type.size() << 16 |
                                         row.explanation.size() << 4 | static_cast<std::size_t>(cellCount));
    }
    rows.count = count;
    rows.valid = valid;
    rows.plain = plain;
    rows.sizes = sizes;
}
