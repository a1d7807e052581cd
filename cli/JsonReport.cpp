#include "cli/JsonReport.h"

#include "cli/JsonText.h"

#include "common/AppendNumber.h"
#include "cli/Cursor.h"
#include "decode/MessageFormat.h"

namespace {

constexpr std::size_t kFloorsPerRow = MessageFormat::kFloorsPerByte;

std::string_view Framing(const std::vector<MessageSpan>& spans) {
    if (spans.empty())
        return "none";
    if (spans.size() > 1)
        return "several";
    return spans.front().shortBy() == 0 ? "one" : "part";
}

// The most one row takes: its texts escaped, and the keys and punctuation around them.
std::size_t RowRoom(const TableRow& row) {
    constexpr std::size_t kKeys = 96;    // the keys and brackets: 66
    constexpr std::size_t kPerCell = 12; // "null" or the text beyond its room, "false", two commas
    std::size_t room = kKeys + JsonStringRoom(row.name.size()) + JsonStringRoom(row.type.size()) +
                       JsonStringRoom(row.explanation.size());
    for (int c = 0; c < row.cellCount; ++c)
        room += JsonStringRoom(row.cells[static_cast<std::size_t>(c)].text().size()) + kPerCell;
    return room;
}

void PutString(Cursor& cursor, std::string_view text) {
    cursor.MoveTo(PutJsonString(cursor.position(), text));
}

std::string_view JsonBool(bool value) {
    return value ? "true" : "false";
}

void PutBool(Cursor& cursor, bool value) {
    cursor.Put(JsonBool(value));
}

void PutRow(Cursor& cursor, const TableRow& row) {
    PutString(cursor, row.name);
    cursor.Put(":{\"type\":");
    PutString(cursor, row.type);
    cursor.Put(",\"cells\":[");
    for (int c = 0; c < row.cellCount; ++c) {
        const TableCell& cell = row.cells[static_cast<std::size_t>(c)];
        if (c > 0)
            cursor.Put(',');
        if (cell.missing())
            cursor.Put("null");
        else
            PutString(cursor, cell.text());
    }
    cursor.Put("],\"cell_valid\":[");
    for (int c = 0; c < row.cellCount; ++c) {
        if (c > 0)
            cursor.Put(',');
        PutBool(cursor, !row.cells[static_cast<std::size_t>(c)].red());
    }
    cursor.Put("],\"valid\":");
    PutBool(cursor, row.valid);
    cursor.Put(",\"explanation\":");
    PutString(cursor, row.explanation);
    cursor.Put('}');
}

void AppendRows(std::string& out, const TableRows& rows, bool dataRows) {
    std::size_t room = 0;
    for (int r = 0; r < rows.count; ++r)
        room += RowRoom(rows.rows[static_cast<std::size_t>(r)]) + 1;
    Cursor cursor(out, room);
    bool first = true;
    for (int r = 0; r < rows.count; ++r) {
        const TableRow& row = rows.rows[static_cast<std::size_t>(r)];
        if (row.dataRow != dataRows)
            continue;
        if (!first)
            cursor.Put(',');
        first = false;
        PutRow(cursor, row);
    }
}

// Floors in floor order: page by page, row by row, and within a row from the right-most column.
void AppendFloors(std::string& out, const FloorPages& floors) {
    out += ",\"floors\":[";
    bool first = true;
    for (const FloorsPage& page : floors.pages) {
        for (std::size_t i = 0; i < kFloorsPageRows * kFloorsPerRow; ++i) {
            const Label& cell = page.lblAccesibleFloor[i];
            if (!first)
                out += ',';
            first = false;
            if (cell.red && cell.caption.empty())
                out += "null";
            else
                AppendJsonString(out, cell.caption);
        }
    }
    out += ']';
}

} // namespace

void JsonReport::BeginLine(std::string& out, const LineInfo& line) {
    out += "{\"source\":";
    AppendJsonString(out, line.source);
    out += ",\"line\":";
    AppendNumber(out, line.number);
    if (!line.connection.empty()) {
        out += ",\"connection\":";
        AppendJsonString(out, line.connection);
    }
    out += ",\"date\":";
    AppendJsonString(out, line.date);
    out += ",\"time\":";
    AppendJsonString(out, line.time);
    out += ",\"bytes\":";
    AppendNumber(out, line.byteCount);
    out += ",\"framing\":\"";
    out += Framing(*line.spans);
    out += "\",\"messages\":[";
}

void JsonReport::AddMessage(std::string& out, const LineInfo&, const MessageReport& message) {
    if (message.index > 0)
        out += ',';
    const MessageSpan span = message.span ? *message.span : MessageSpan{};
    out += "{\"offset\":";
    AppendNumber(out, span.first);
    out += ",\"bytes\":";
    AppendNumber(out, span.count);
    out += ",\"length\":";
    AppendNumber(out, span.length);
    out += ",\"short\":";
    AppendNumber(out, span.shortBy());
    out += ",\"valid\":";
    out += JsonBool(message.valid);
    out += ",\"header\":{";
    AppendRows(out, *message.rows, false);
    out += "},\"data\":{";
    AppendRows(out, *message.rows, true);
    out += '}';
    if (message.floors)
        AppendFloors(out, *message.floors);
    out += '}';
}

void JsonReport::EndLine(std::string& out, const LineInfo&, bool valid) {
    out += "],\"valid\":";
    out += JsonBool(valid);
    out += "}\n";
}
