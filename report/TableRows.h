#pragma once

#include "decode/DecodeTable.h"

#include <array>
#include <cstdint>
#include <string_view>

// The decode table as a reader of the window sees it, row by row: the three header rows, then every
// data row whose name is visible. Views point into the table and live as long as it stays unchanged.

inline constexpr int kMaxRowCells = 5;
inline constexpr std::size_t kHeaderCells = std::tuple_size_v<decltype(DecodeTable::lblHeader)>;
inline constexpr std::size_t kDataCells = std::tuple_size_v<decltype(DecodeTable::lblData)>;

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
};

// The rows' layout as far as it shapes their text, for telling layouts apart without comparing texts:
// each row's name, type and explanation by the fixed text it shows (SetFixedCaption), and which rows
// and cells stand; then the shown cells in row and column order. Equal shapes are equal rows but for
// the cells' characters.
struct TableShape {
    // Three texts a row, then one word of the rows and cells that stand.
    static constexpr std::size_t kWords = 3 * (kHeaderRows + kDataRows) + 1;
    // Of that word, the bits of a row: the row stands, then each of its cells.
    static constexpr int kRowBits = 1 + kMaxRowCells;
    static_assert(kRowBits * (kHeaderRows + kDataRows) <= 64);
    std::array<std::uint64_t, kWords> words{};
    std::array<const Label*, kHeaderCells + kDataCells> cells{};
    int cellCount = 0;

    bool SameLayout(const TableShape& other) const { return words == other.words; }
};

// Reads one table again and again: where each row's labels and cells are is worked out once.
class TableReader {
public:
    explicit TableReader(const DecodeTable& table);
    void Read(TableRows& rows) const;
    // Reads the shape of plain rows: every shown cell holds two printable, non-blank characters and is
    // not red, as nearly every cell of a valid message does, and every shown text is a fixed one or
    // empty. False, with the shape unfinished, for any other rows.
    bool ReadShape(TableShape& shape) const;

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
    // The same labels laid out for ReadShape: each row's name (null for a header row), type and
    // explanation; the cells in one run, in row and column order.
    std::array<std::array<const Label*, 3>, kHeaderRows + kDataRows> m_texts{};
    struct ShapeCell {
        const Label* label = nullptr;
        std::uint64_t bit = 0; // the cell's in TableShape's word of cells that stand
    };
    std::array<ShapeCell, kHeaderCells + kDataCells> m_cells;
};
