#pragma once

#include <array>
#include <string>
#include <string_view>

// The hex dump window's grid: 17 rows by 17 columns, row 0 and column 0 the headings.
inline constexpr int kDumpGridSize = 17;
using DumpGrid = std::array<std::array<std::string, kDumpGridSize>, kDumpGridSize>;

// Headings "+0" to "+F" and "00" to "F0", then the first 256 fields of the byte text, unchanged,
// 16 to a row.
DumpGrid MakeDumpGrid(std::string_view byteText);

// The characters of the same bytes, one text of up to 16 a row: printable ASCII as itself, a dot for
// any other byte, as hex dumps show them.
using DumpChars = std::array<std::string, kDumpGridSize - 1>;
DumpChars MakeDumpChars(std::string_view byteText);
