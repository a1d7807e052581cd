#pragma once

#include "report/TableRows.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text rows of the last few layouts a report wrote, kept for the messages that follow: the
// messages of one layout differ only in their cells' characters, so a message of a kept layout's shape
// (TableShape: same names, types, explanations and cells standing) is the kept text with its cells'
// characters written over. Only plain rows have a shape, and each of their cells is always written as
// its two characters and two blanks, so the copy is byte for byte what writing the rows out gives.
class KeptRows {
public:
    // Appends the rows of a kept layout of the same shape and indent, with the shape's cells written in;
    // false, with nothing written, when none is kept.
    bool Append(std::string& out, std::string_view indent, const TableShape& shape);
    // Keeps the text just written for rows of this shape, and where in it each cell's two characters
    // stand (in the shape's order), for the messages of the same layout.
    void Keep(std::string_view indent, const TableShape& shape, std::string_view text,
              const std::vector<std::uint32_t>& cellAt);

private:
    struct Layout {
        std::string indent;
        TableShape shape;
        std::string text;
        std::vector<std::uint32_t> cellAt;
    };
    const Layout* Find(std::string_view indent, const TableShape& shape) const;

    // A handful covers every layout of a capture: the layouts differ by command and by what the
    // command row says, and a cut-short or invalid message is never kept.
    static constexpr std::size_t kMostLayouts = 8;
    std::array<Layout, kMostLayouts> m_layouts;
    std::size_t m_kept = 0; // layouts in use, from the front
    std::size_t m_next = 0; // the one a new layout replaces once all are in use
};
