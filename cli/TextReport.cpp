#include "cli/TextReport.h"

#include "cli/AppendNumber.h"

namespace {

constexpr std::size_t kNameWidth = 18;
constexpr std::size_t kTypeWidth = 10;
constexpr std::size_t kCellWidth = 4;
constexpr std::size_t kCellsWidth = kCellWidth * kMaxRowCells + 2;
constexpr std::size_t kFloorNameWidth = 8;
constexpr std::string_view kRed = "\x1b[41;97m";
constexpr std::string_view kPlain = "\x1b[0m";
constexpr std::string_view kMissing = "--";
constexpr char kRedMark = '!';

void Pad(std::string& out, std::size_t written, std::size_t width) {
    if (written < width)
        out.append(width - written, ' ');
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    Pad(out, text.size(), width);
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
    out += line.source;
    out += ':';
    AppendNumber(out, line.number);
    if (!line.date.empty() || !line.time.empty()) {
        out += "  [";
        out += line.date;
        out += "] [";
        out += line.time;
        out += ']';
    }
    out += "  ";
    AppendFraming(out, line);
    out += '\n';
}

void TextReport::AppendCell(std::string& out, std::string_view text, bool red) const {
    const std::string_view shown = red && text.empty() ? kMissing : text;
    const std::size_t width = shown.size() + (red ? 1 : 0);
    if (red && m_colour)
        out += kRed;
    out += shown;
    if (red)
        out += kRedMark;
    if (red && m_colour)
        out += kPlain;
    Pad(out, width, kCellWidth - 1);
    out += ' ';
}

void TextReport::AddMessage(std::string& out, const LineInfo& line, const MessageReport& message) {
    const bool several = line.spans->size() > 1;
    const char* indent = several ? "    " : "  ";
    if (several) {
        out += "  message ";
        AppendNumber(out, message.index + 1);
        out += " of ";
        AppendNumber(out, line.spans->size());
        out += ", bytes ";
        AppendNumber(out, message.span->first + 1);
        out += " to ";
        AppendNumber(out, message.span->first + message.span->count);
        out += '\n';
    }
    const TableRows& rows = *message.rows;
    for (int r = 0; r < rows.count; ++r) {
        const TableRow& row = rows.rows[static_cast<std::size_t>(r)];
        out += indent;
        AppendPadded(out, row.name, kNameWidth);
        AppendPadded(out, row.type, kTypeWidth);
        const std::size_t cellsStart = out.size();
        std::size_t colourBytes = 0;
        for (int c = 0; c < row.cellCount; ++c) {
            const TableCell& cell = row.cells[static_cast<std::size_t>(c)];
            AppendCell(out, cell.text, cell.red);
            if (cell.red && m_colour)
                colourBytes += kRed.size() + kPlain.size();
        }
        Pad(out, out.size() - cellsStart - colourBytes, kCellsWidth);
        out += row.explanation;
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        out += '\n';
    }
    if (message.floors)
        AppendFloors(out, *message.floors);
}

void TextReport::AppendFloors(std::string& out, const FloorsView& floors) const {
    // As the floors window lays a byte out: highest floor on the left, two bits a floor.
    out += "  Accesible Floors";
    for (const std::string_view heading : {"D7 D6", "D5 D4", "D3 D2", "D1 D0"}) {
        out.append(kFloorNameWidth - 1, ' ');
        out += heading;
    }
    out += '\n';
    for (const FloorsPage& page : floors.pages) {
        for (int row = 0; row < kFloorsPageRows; ++row) {
            out += "    ";
            out += page.lblIndex[static_cast<std::size_t>(row)];
            out.append(kNameWidth - 8, ' ');
            for (int column = 3; column >= 0; --column) {
                const auto i = static_cast<std::size_t>(4 * row + column);
                const Label& name = page.lblNo[i];
                const std::string_view shown =
                    name.visible ? std::string_view(name.caption) : std::string_view();
                Pad(out, shown.size(), kFloorNameWidth);
                out += shown;
                out += ' ';
                AppendCell(out, page.lblAccesibleFloor[i].caption, page.lblAccesibleFloor[i].red);
            }
            while (out.back() == ' ')
                out.pop_back();
            out += '\n';
        }
    }
}

void TextReport::EndLine(std::string& out, const LineInfo&, bool) {
    out += '\n';
}
