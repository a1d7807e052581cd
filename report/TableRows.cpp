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
    std::size_t next = 0;
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        const RowLabels& row = m_rows[r];
        m_texts[r] = {row.name, row.type, row.explanation};
        for (int c = 0; c < row.cellCount; ++c) {
            if (const Label* cell = row.cells[static_cast<std::size_t>(c)])
                m_cells[next++] = {cell, std::uint64_t{2} << (TableShape::kRowBits * r + c)};
        }
    }
}

void TableReader::Read(TableRows& rows) const {
    // Kept in locals, not in rows, while the labels are read: the compiler cannot tell that writing rows
    // leaves the labels unchanged.
    int count = 0;
    bool valid = true;
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
        }
        row.cellCount = cellCount;
        row.valid = rowValid;
        valid = valid && rowValid;
    }
    rows.count = count;
    rows.valid = valid;
}

bool TableReader::ReadShape(TableShape& shape) const {
    // Branch-free: nearly every message reads to the end, and a branch a label would be mispredicted
    // as the layouts change.
    std::uint64_t rows = 0; // of each row, the bit that says it stands
    std::uint64_t own = 0;  // set when a shown text is none of the fixed ones
    std::uint64_t* word = shape.words.data();
    for (std::size_t r = 0; r < m_texts.size(); ++r, word += 3) {
        const auto& [name, type, explanation] = m_texts[r];
        const bool shown = !name || name->visible; // a header row always stands, its name never changes
        const std::uint64_t keep = shown ? ~std::uint64_t{0} : 0;
        word[0] = name ? name->textKey & keep : 0;
        word[1] = type->visible ? type->textKey & keep : 0;
        word[2] = explanation->visible ? explanation->textKey & keep : 0;
        own |= static_cast<std::uint64_t>(word[0] == Label::kOwnText) | (word[1] == Label::kOwnText) |
               (word[2] == Label::kOwnText);
        rows |= static_cast<std::uint64_t>(shown) << (TableShape::kRowBits * r);
    }
    std::uint64_t cells = 0;   // the cells that stand
    std::uint64_t unplain = 0; // set when one of them is not plain
    std::size_t cellCount = 0;
    for (const ShapeCell& cell : m_cells) {
        const Label& label = *cell.label;
        shape.cells[cellCount] = &label;
        cellCount += label.visible;
        cells |= label.visible ? cell.bit : 0;
        unplain |= static_cast<std::uint64_t>(label.visible && !PlainCell(label));
    }
    // A cell standing in a row that does not: the rows' text would leave it out.
    constexpr std::uint64_t kRowCells = ((std::uint64_t{1} << kMaxRowCells) - 1) << 1;
    constexpr std::uint64_t kRowsStanding = [] {
        std::uint64_t all = 0;
        for (std::size_t r = 0; r < kHeaderRows + kDataRows; ++r)
            all |= std::uint64_t{1} << (TableShape::kRowBits * r);
        return all;
    }();
    const std::uint64_t hiddenRowCells = (~rows & kRowsStanding) * kRowCells;
    *word = rows | cells;
    shape.cellCount = static_cast<int>(cellCount);
    return (own | unplain | (cells & hiddenRowCells)) == 0;
}
