#pragma once

#include "report/TableRows.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text rows of the last few layouts a report wrote, kept for the messages that follow: the
// messages of one layout differ only in their cells' digits, so a message whose rows read as a kept
// layout's (same names, types, explanations and cell counts) is the kept text with its digits written
// over. Only rows whose every shown cell holds two printable, non-blank characters and is not red are
// kept or served: such a cell is always written as its two characters and two blanks, so the copy is
// byte for byte what writing the rows out gives. Anything else is written out as usual.
class KeptRows {
public:
    // Appends the text of plain rows (TableRows::plain) when a kept layout reads the same; false, with
    // nothing written, when the rows are not plain or no kept layout reads as they do.
    bool Append(std::string& out, std::string_view indent, const TableRows& rows);
    // Keeps the text just written for plain rows, and where in it each cell's two characters stand
    // (in row and column order), for the messages of the same layout.
    void Keep(std::string_view indent, const TableRows& rows, std::string_view text,
              const std::vector<std::uint32_t>& cellAt);

private:
    struct RowTexts {
        std::string name;
        std::string type;
        std::string explanation;
        int cellCount = 0;
    };
    struct Layout {
        std::string indent;
        std::vector<RowTexts> rows;
        std::string text;
        std::vector<std::uint32_t> cellAt;
        std::uint64_t sizes = 0; // TableRows::sizes of the rows it was written for

        bool ReadsAs(std::string_view indent, const TableRows& rows) const;
    };
    // A handful covers every layout of a capture: the layouts differ by command and by what the
    // command row says, and a cut-short or invalid message is never kept.
    static constexpr std::size_t kMostLayouts = 8;
    std::array<Layout, kMostLayouts> m_layouts;
    std::size_t m_kept = 0; // layouts in use, from the front
    std::size_t m_next = 0; // the one a new layout replaces once all are in use
};
