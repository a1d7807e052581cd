#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What begins every record of a report: where it comes from and when. A decoded capture line, a
// packet capture's message and a packet capture's connection or gap record all start alike, so a
// reader (or a script) finds the place and time of each in the same spot. Text from outside (the file
// name, the line's date and time) is made safe for a terminal here, once for every kind of record.
struct LineHeader {
    std::string_view source;     // file name, "-" for standard input, "--hex" for a message given as hex
    std::size_t number = 0;      // line number in the source, from 1; in a packet capture the packet's number
    std::string_view connection; // a packet capture's "address:port > address:port"; empty for capture lines
    std::string_view date;
    std::string_view time;
};

// "SOURCE:NUMBER  [DATE] [TIME]  CONNECTION  ", the date and time only when the line has them, the
// connection only when there is one.
void AppendTextHeader(std::string& out, const LineHeader& header);

// The same for a run of records, most of which share their source and, a second at a time, their date,
// time and connection: the text before the number and the text after it are kept, made safe, for the
// next record that has the same.
class TextHeaders {
public:
    void Append(std::string& out, const LineHeader& header);

private:
    bool m_any = false;
    // As last given.
    std::string m_source;
    std::string m_date;
    std::string m_time;
    std::string m_connection;
    // As written for them.
    std::string m_beforeNumber;
    std::string m_afterNumber;
};

// `{"source":…,"line":…,"connection":…,"date":…,"time":…`, "connection" only when there is one; the
// object is left open for the record's own keys.
void AppendJsonHeader(std::string& out, const LineHeader& header);
