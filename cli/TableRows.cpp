#include "cli/TableRows.h"

#include <algorithm>

namespace {

constexpr int kLayoutRows = kHeaderRows + kDataRows;

// Which value cell stands at each row and column of the layout (-1: none). Header rows come first.
struct CellMap {
    std::array<std::array<int, kMaxRowCells>, kLayoutRows> index;
    std::array<bool, kLayoutRows> headerCells; // true where the index is into lblHeader
};

void MapCells(CellMap& map, int firstRow, int count, bool header, int (*rowOf)(int), int (*columnOf)(int)) {
    for (int i = 0; i < count; ++i) {
        const auto row = static_cast<std::size_t>(firstRow + rowOf(i) - 1);
        map.index[row][static_cast<std::size_t>(columnOf(i))] = i;
        map.headerCells[row] = header;
    }
}

const CellMap& Cells() {
    static const CellMap map = [] {
        CellMap m{};
        for (auto& row : m.index)
            row.fill(-1);
        const DecodeTable shape;
        MapCells(m, 0, static_cast<int>(shape.lblHeader.size()), true, HeaderCellRow, HeaderCellColumn);
        MapCells(m, kHeaderRows, static_cast<int>(shape.lblData.size()), false, DataCellRow, DataCellColumn);
        return m;
    }();
    return map;
}

std::string_view ShownText(const Label& label) {
    return label.visible ? std::string_view(label.caption) : std::string_view();
}

void ReadCells(const DecodeTable& table, int layoutRow, TableRow& row) {
    const CellMap& map = Cells();
    const auto r = static_cast<std::size_t>(layoutRow);
    row.cellCount = 0;
    for (const int index : map.index[r]) {
        if (index < 0)
            continue;
        const Label& cell = map.headerCells[r] ? table.lblHeader[static_cast<std::size_t>(index)]
                                               : table.lblData[static_cast<std::size_t>(index)];
        if (cell.visible)
            row.cells[static_cast<std::size_t>(row.cellCount++)] = TableCell{cell.caption, cell.red};
    }
}

} // namespace

bool TableRow::valid() const {
    return std::none_of(cells.begin(), cells.begin() + cellCount, [](const TableCell& c) { return c.red; });
}

bool TableRows::valid() const {
    return std::all_of(rows.begin(), rows.begin() + count, [](const TableRow& r) { return r.valid(); });
}

void ReadTableRows(const DecodeTable& table, TableRows& rows) {
    const auto names = DataNameLabels(table);
    rows.count = 0;
    for (int r = 0; r < kLayoutRows; ++r) {
        TableRow& row = rows.rows[static_cast<std::size_t>(rows.count)];
        if (r < kHeaderRows) {
            const auto h = static_cast<std::size_t>(r);
            row.name = kHeaderRowNames[h];
            row.type = ShownText(table.lblDataTypeH[h]);
            row.explanation = ShownText(table.lblHeaderExplanation[h]);
            row.dataRow = false;
        } else {
            const auto d = static_cast<std::size_t>(r - kHeaderRows);
            if (!names[d]->visible)
                continue;
            row.name = names[d]->caption;
            row.type = ShownText(table.lblDataTypeD[d]);
            row.explanation = ShownText(table.lblDataExplanation[d]);
            row.dataRow = true;
        }
        ReadCells(table, r, row);
        ++rows.count;
    }
}
