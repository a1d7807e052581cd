#include "report/KeptRows.h"

#include "common/ShortCopy.h"

const KeptRows::Layout* KeptRows::Find(std::string_view indent, const TableShape& shape) const {
    for (std::size_t index = 0; index < m_kept; ++index) {
        const Layout& layout = m_layouts[index];
        if (layout.shape.SameLayout(shape) && SameShort(layout.indent, indent))
            return &layout;
    }
    return nullptr;
}

bool KeptRows::Append(std::string& out, std::string_view indent, const TableShape& shape) {
    const Layout* layout = Find(indent, shape);
    if (!layout)
        return false;
    const std::size_t start = out.size();
    out += layout->text;
    char* text = out.data() + start;
    const std::uint32_t* at = layout->cellAt.data();
    for (int c = 0; c < shape.cellCount; ++c, ++at) {
        const std::string& characters = shape.cells[static_cast<std::size_t>(c)]->caption;
        text[*at] = characters[0];
        text[*at + 1] = characters[1];
    }
    return true;
}

void KeptRows::Keep(std::string_view indent, const TableShape& shape, std::string_view text,
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
    layout.shape = shape;
    layout.text = text;
    layout.cellAt = cellAt;
}
