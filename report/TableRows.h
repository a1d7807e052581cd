#pragma once

#include "decode/DecodeTable.h"

#include <array>
#include <cstdint>
#include <string_view>

// The decode table as a reader of the window sees it, row by row: the three header rows, then every
// data row whose name is visible. Views point into the table and live as long as it stays unchanged.

inline constexpr int kMaxRowCells = 5;

// A shown value cell: the label itself, so that reading a row copies nothing of it.
struct TableCell {
    const Label* label = nullptr;

    std::string_view text() const { return label->caption; }
    bool red() const { return label->red; }
    // A red cell without text: the byte is missing from the message (or its token is empty).
    bool missing() const { return label->red && label->caption.empty(); }
};

struct TableRow {
    std::string_view name;
    std::string_view type;        // empty when the type label is hidden
    std::string_view explanation; // empty when the explanation label is hidden
    std::array<TableCell, kMaxRowCells> cells{};
    int cellCount = 0;
    bool dataRow = false; // false for the communication header
    bool valid = true;    // no shown cell is red
};

struct TableRows {
    std::array<TableRow, kHeaderRows + kDataRows> rows{};
    int count = 0;
    bool valid = true;
    // Every shown cell holds two printable, non-blank characters and is not red, as nearly every cell
    // of a valid message does.
    bool plain = true;
    // The sizes of the rows' names, types and explanations and their cell counts, folded into one
    // number: two reads of one layout give the same, and most reads of different layouts do not.
    std::uint64_t sizes = 0;
};

// Reads one table again and again: where each row's labels and cells are is worked out once.
class TableReader {
public:
    explicit TableReader(const DecodeTable& table);
    void Read(TableRows& rows) const;

private:
    struct RowLabels {
        const Label* name = nullptr; // null for a header row, whose name never changes
        std::string_view fixedName;
        const Label* type = nullptr;
        const Label* explanation = nullptr;
        std::array<const Label*, kMaxRowCells> cells{};
        int cellCount = 0;
    };
    std::array<RowLabels, kHeaderRows + kDataRows> m_rows;
};
