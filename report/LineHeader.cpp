#include "report/LineHeader.h"

#include "report/Cursor.h"
#include "report/JsonText.h"

#include <charconv>

void AppendTextHeader(std::string& out, const LineHeader& header) {
    constexpr std::size_t kFixed = 32; // the number, brackets and blanks
    Cursor cursor(out, header.source.size() + header.date.size() + header.time.size() +
                           header.connection.size() + kFixed);
    cursor.PutText(header.source);
    cursor.Put(':');
    cursor.MoveTo(std::to_chars(cursor.position(), cursor.position() + 24, header.number).ptr);
    if (!header.date.empty() || !header.time.empty()) {
        cursor.Put("  [");
        cursor.PutText(header.date);
        cursor.Put("] [");
        cursor.PutText(header.time);
        cursor.Put(']');
    }
    if (!header.connection.empty()) {
        cursor.Put("  ");
        cursor.PutText(header.connection);
    }
    cursor.Put("  ");
}

void AppendJsonHeader(std::string& out, const LineHeader& header) {
    out += '{';
    AppendJsonText(out, "source", header.source);
    AppendJsonNumber(out, "line", header.number);
    if (!header.connection.empty())
        AppendJsonText(out, "connection", header.connection);
    AppendJsonText(out, "date", header.date);
    AppendJsonText(out, "time", header.time);
}
