#include "report/KeptRows.h"

#include <cstring>

namespace {

template <typename Word> Word Load(const char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Names, types and explanations are a few bytes to a few dozen: compared a word at a time, overlapping
// at the end, without a call to memcmp for each.
[[gnu::always_inline]] inline bool Same(std::string_view text, const std::string& kept) {
    const std::size_t n = text.size();
    if (n != kept.size())
        return false;
    const char* a = text.data();
    const char* b = kept.data();
    if (n >= 8) {
        std::uint64_t differ = Load<std::uint64_t>(a + n - 8) ^ Load<std::uint64_t>(b + n - 8);
        for (std::size_t i = 0; i + 8 < n; i += 8)
            differ |= Load<std::uint64_t>(a + i) ^ Load<std::uint64_t>(b + i);
        return differ == 0;
    }
    if (n >= 4) {
        return ((Load<std::uint32_t>(a) ^ Load<std::uint32_t>(b)) |
                (Load<std::uint32_t>(a + n - 4) ^ Load<std::uint32_t>(b + n - 4))) == 0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

bool KeptRows::Layout::ReadsAs(std::string_view rowIndent, const TableRows& shown) const {
    if (static_cast<std::size_t>(shown.count) != rows.size() || rowIndent != indent)
        return false;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const TableRow& row = shown.rows[r];
        const RowTexts& kept = rows[r];
        if (row.cellCount != kept.cellCount || !Same(row.name, kept.name) || !Same(row.type, kept.type) ||
            !Same(row.explanation, kept.explanation))
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
