#include "report/TextReport.h"

#include "common/AppendNumber.h"
#include "decode/MessageFormat.h"
#include "report/Cursor.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kNameWidth = 18;
constexpr std::size_t kTypeWidth = 10;
constexpr std::size_t kCellWidth = 4;
constexpr std::size_t kCellsWidth = kCellWidth * kMaxRowCells + 2;
constexpr std::size_t kFloorNameWidth = 8;
constexpr std::size_t kFloorIndexWidth = kNameWidth + 6;
constexpr std::string_view kRed = "\x1b[41;97m";
constexpr std::string_view kPlain = "\x1b[0m";
constexpr std::string_view kMissing = "--";
constexpr char kRedMark = '!';

// Room for one value cell: its text or "--", the mark, the colour codes and the padding.
std::size_t CellRoom(std::string_view text) {
    return std::max(text.size(), kMissing.size()) + kCellWidth + kRed.size() + kPlain.size();
}

// One value cell in its column; returns the bytes of colour codes written, which take no room on screen.
std::size_t PutCell(Cursor& cursor, std::string_view text, bool red, bool colour) {
    // The usual cell: two digits and the blanks to the next column.
    if (!red && text.size() == 2 && IsPlainAscii(text[0]) && IsPlainAscii(text[1])) {
        char* p = cursor.position();
        p[0] = text[0];
        p[1] = text[1];
        p[2] = ' ';
        p[3] = ' ';
        cursor.MoveTo(p + kCellWidth);
        return 0;
    }
    const std::string_view shown = red && text.empty() ? kMissing : text;
    const char* start = cursor.here();
    const bool painted = red && colour;
    if (painted)
        cursor.Put(kRed);
    cursor.PutText(shown);
    if (red)
        cursor.Put(kRedMark);
    if (painted)
        cursor.Put(kPlain);
    const std::size_t colourBytes = painted ? kRed.size() + kPlain.size() : 0;
    cursor.PadFrom(start, kCellWidth - 1 + colourBytes);
    cursor.Put(' ');
    return colourBytes;
}

// The floors as the floors window lays a byte out: highest floor on the left, two bits a floor, its
// eight pages one after the other.
void AppendFloors(std::string& out, const FloorPages& floors, bool colour) {
    out += "  Accesible Floors";
    for (const std::string_view heading : MessageFormat::kFloorsHeadings) {
        out.append(kFloorNameWidth - 1, ' ');
        out += heading;
    }
    out += '\n';
    for (const FloorsPage& page : floors.pages) {
        for (int row = 0; row < kFloorsPageRows; ++row) {
            std::size_t room = kFloorIndexWidth + 1;
            for (int column = 0; column < 4; ++column) {
                const auto i = static_cast<std::size_t>(4 * row + column);
                room += kFloorNameWidth + page.lblNo[i].caption.size() + 1 +
                        CellRoom(page.lblAccesibleFloor[i].caption);
            }
            Cursor cursor(out, room);
            const char* start = cursor.here();
            cursor.Blanks(4);
            cursor.Put(page.lblIndex[static_cast<std::size_t>(row)]);
            cursor.PadFrom(start, kFloorIndexWidth - kFloorNameWidth);
            for (int column = 3; column >= 0; --column) {
                const auto i = static_cast<std::size_t>(4 * row + column);
                const Label& name = page.lblNo[i];
                const std::string_view shown =
                    name.visible ? std::string_view(name.caption) : std::string_view();
                if (shown.size() < kFloorNameWidth)
                    cursor.Blanks(kFloorNameWidth - shown.size());
                cursor.PutText(shown);
                cursor.Put(' ');
                PutCell(cursor, page.lblAccesibleFloor[i].caption, page.lblAccesibleFloor[i].red, colour);
            }
            cursor.TrimBlanks();
            cursor.Put('\n');
        }
    }
    for (const std::string_view legend : MessageFormat::kFloorsLegend) {
        out += "     ";
        out += legend;
        out += '\n';
    }
}

void AppendBytes(std::string& out, std::uint64_t count) {
    AppendNumber(out, count);
    out += count == 1 ? " byte" : " bytes";
}

void AppendFraming(std::string& out, const LineInfo& line) {
    const auto& spans = *line.spans;
    AppendBytes(out, line.byteCount);
    if (spans.empty())
        return;
    const MessageSpan& last = spans.back();
    if (spans.size() == 1) {
        if (last.shortBy() == 0) {
            out += ": one message";
        } else {
            out += ": part of a message of ";
            AppendBytes(out, last.length);
            out += ", ";
            AppendNumber(out, last.shortBy());
            out += " short";
        }
        return;
    }
    out += ": ";
    AppendNumber(out, spans.size());
    out += " messages";
    if (last.shortBy() > 0) {
        out += ", the last one ";
        AppendNumber(out, last.shortBy());
        out += last.shortBy() == 1 ? " byte short" : " bytes short";
    }
}

} // namespace

void TextReport::BeginLine(std::string& out, const LineInfo& line) {
    m_headers.Append(out, line);
    AppendFraming(out, line);
    out += '\n';
}

std::string_view TextReport::AppendHeading(std::string& out, const LineInfo& line,
                                           const MessageReport& message) {
    if (line.spans->size() <= 1)
        return "  ";
    out += "  message ";
    AppendNumber(out, message.index + 1);
    out += " of ";
    AppendNumber(out, line.spans->size());
    out += ", bytes ";
    AppendNumber(out, message.span->first + 1);
    out += " to ";
    AppendNumber(out, message.span->first + message.span->count);
    out += '\n';
    return "    ";
}

void TextReport::AddMessage(std::string& out, const LineInfo& line, const MessageReport& message) {
    const std::string_view indent = AppendHeading(out, line, message);
    AppendRows(out, indent, *message.rows, message.shape);
    if (message.floors)
        AppendFloors(out, *message.floors, m_colour);
}

bool TextReport::AddKeptMessage(std::string& out, const LineInfo& line, const MessageReport& message) {
    const std::size_t start = out.size();
    const std::string_view indent = AppendHeading(out, line, message);
    if (!m_kept.Append(out, indent, *message.shape)) {
        out.resize(start);
        return false;
    }
    if (message.floors)
        AppendFloors(out, *message.floors, m_colour);
    return true;
}

void TextReport::AppendRows(std::string& out, std::string_view indent, const TableRows& rows,
                            const TableShape* shape) {
    // The text before the rows ends in a line break, so trimming a row never reaches before start.
    const std::size_t start = out.size();
    m_cellAt.clear();
    std::size_t room = 0;
    for (int r = 0; r < rows.count; ++r) {
        const TableRow& row = rows.rows[static_cast<std::size_t>(r)];
        room += indent.size() + row.name.size() + kNameWidth + row.type.size() + kTypeWidth + kCellsWidth +
                row.explanation.size() + 1;
        for (int c = 0; c < row.cellCount; ++c)
            room += CellRoom(row.cells[static_cast<std::size_t>(c)].text());
    }
    {
        Cursor cursor(out, room);
        for (int r = 0; r < rows.count; ++r) {
            const TableRow& row = rows.rows[static_cast<std::size_t>(r)];
            cursor.Put(indent);
            const char* name = cursor.here();
            cursor.Put(row.name);
            cursor.PadFrom(name, kNameWidth);
            const char* type = cursor.here();
            cursor.Put(row.type);
            cursor.PadFrom(type, kTypeWidth);
            std::size_t colourBytes = 0;
            const char* cells = cursor.here();
            for (int c = 0; c < row.cellCount; ++c) {
                const TableCell& cell = row.cells[static_cast<std::size_t>(c)];
                if (shape)
                    m_cellAt.push_back(static_cast<std::uint32_t>(cursor.here() - out.data() - start));
                colourBytes += PutCell(cursor, cell.text(), cell.red(), m_colour);
            }
            cursor.PadFrom(cells, kCellsWidth + colourBytes);
            cursor.Put(row.explanation);
            cursor.TrimBlanks();
            cursor.Put('\n');
        }
    }
    if (shape)
        m_kept.Keep(indent, *shape, std::string_view(out).substr(start), m_cellAt);
}

void TextReport::EndLine(std::string& out, const LineInfo&, bool) {
    out += '\n';
}
