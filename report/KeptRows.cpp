#include "report/KeptRows.h"

#include "common/ShortCopy.h"

bool KeptRows::Layout::ReadsAs(std::string_view rowIndent, const TableRows& shown) const {
    if (static_cast<std::size_t>(shown.count) != rows.size() || rowIndent != indent)
        return false;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const TableRow& row = shown.rows[r];
        const RowTexts& kept = rows[r];
        if (row.cellCount != kept.cellCount || !SameShort(row.name, kept.name) ||
            !SameShort(row.type, kept.type) || !SameShort(row.explanation, kept.explanation))
            return false;
    }
    return true;
}

bool KeptRows::Append(std::string& out, std::string_view indent, const TableRows& rows) {
    if (!rows.plain)
        return false;
    for (std::size_t index = 0; index < m_kept; ++index) {
        const Layout& layout = m_layouts[index];
        if (layout.sizes != rows.sizes || !layout.ReadsAs(indent, rows))
            continue;
        const std::size_t start = out.size();
        out += layout.text;
        char* text = out.data() + start;
        const std::uint32_t* at = layout.cellAt.data();
        for (int r = 0; r < rows.count; ++r) {
            const TableRow& row = rows.rows[static_cast<std::size_t>(r)];
            for (int c = 0; c < row.cellCount; ++c, ++at) {
                const std::string_view digits = row.cells[static_cast<std::size_t>(c)].text();
                text[*at] = digits[0];
                text[*at + 1] = digits[1];
            }
        }
        return true;
    }
    return false;
}

void KeptRows::Keep(std::string_view indent, const TableRows& rows, std::string_view text,
                    const std::vector<std::uint32_t>& cellAt) {
    std::size_t index = m_kept;
    if (m_kept < kMostLayouts) {
        ++m_kept;
    } else {
        index = m_next;
        m_next = (m_next + 1) % kMostLayouts;
    }
    Layout& layout = m_layouts[index];
    layout.indent = indent;
    layout.rows.resize(static_cast<std::size_t>(rows.count));
    for (std::size_t r = 0; r < layout.rows.size(); ++r) {
        const TableRow& row = rows.rows[r];
        RowTexts& kept = layout.rows[r];
        kept.name = row.name;
        kept.type = row.type;
        kept.explanation = row.explanation;
        kept.cellCount = row.cellCount;
    }
    layout.text = text;
    layout.cellAt = cellAt;
    layout.sizes = rows.sizes;
}
