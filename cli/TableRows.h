#pragma once

#include "decode/DecodeTable.h"

#include <array>
#include <string_view>

// The decode table as a reader of the window sees it, row by row: the three header rows, then every
// data row whose name is visible. Views point into the table and live as long as it stays unchanged.

inline constexpr int kMaxRowCells = 5;

struct TableCell {
    std::string_view text;
    bool red = false;

    // A red cell without text: the byte is missing from the message (or its token is empty).
    bool missing() const { return red && text.empty(); }
};

struct TableRow {
    std::string_view name;
    std::string_view type;        // empty when the type label is hidden
    std::string_view explanation; // empty when the explanation label is hidden
    std::array<TableCell, kMaxRowCells> cells{};
    int cellCount = 0;
    bool dataRow = false; // false for the communication header

    bool valid() const;
};

struct TableRows {
    std::array<TableRow, kHeaderRows + kDataRows> rows{};
    int count = 0;

    bool valid() const;
};

// The names of the header rows; they never change in the window.
inline constexpr std::array<std::string_view, kHeaderRows> kHeaderRowNames = {"Data length", "Version",
                                                                              "Reserve"};

void ReadTableRows(const DecodeTable& table, TableRows& rows);
