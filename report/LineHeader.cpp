#include "report/LineHeader.h"

#include "common/ShortCopy.h"
#include "common/TerminalText.h"
#include "report/Cursor.h"
#include "report/JsonText.h"

#include <charconv>

namespace {

constexpr std::size_t kMostNumberDigits = 20;

void AppendBeforeNumber(std::string& out, const LineHeader& header) {
    AppendTerminalText(out, header.source);
    out += ':';
}

void AppendAfterNumber(std::string& out, const LineHeader& header) {
    constexpr std::size_t kFixed = 12; // brackets and blanks
    Cursor cursor(out, header.date.size() + header.time.size() + header.connection.size() + kFixed);
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

void AppendNumbered(std::string& out, std::string_view before, std::size_t number, std::string_view after) {
    char digits[kMostNumberDigits];
    char* end = std::to_chars(digits, digits + kMostNumberDigits, number).ptr;
    out += before;
    out.append(digits, static_cast<std::size_t>(end - digits));
    out += after;
}

} // namespace

void AppendTextHeader(std::string& out, const LineHeader& header) {
    std::string before;
    AppendBeforeNumber(before, header);
    std::string after;
    AppendAfterNumber(after, header);
    AppendNumbered(out, before, header.number, after);
}

void TextHeaders::Append(std::string& out, const LineHeader& header) {
    if (!m_any || !SameShort(header.source, m_source)) {
        m_source = header.source;
        m_beforeNumber.clear();
        AppendBeforeNumber(m_beforeNumber, header);
    }
    if (!m_any || !SameShort(header.date, m_date) || !SameShort(header.time, m_time) ||
        !SameShort(header.connection, m_connection)) {
        m_date = header.date;
        m_time = header.time;
        m_connection = header.connection;
        m_afterNumber.clear();
        AppendAfterNumber(m_afterNumber, header);
    }
    m_any = true;
    AppendNumbered(out, m_beforeNumber, header.number, m_afterNumber);
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
