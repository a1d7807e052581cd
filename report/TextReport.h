#pragma once

#include "report/KeptRows.h"
#include "report/Report.h"

#include <cstdint>
#include <vector>

// The decode table as aligned text, one row a line. A red cell carries a "!" after its text and a
// missing byte shows as "--!", so the marks survive a pipe, a file or a printer; with colour the red
// cells are also drawn on red as in the window.
class TextReport : public Report {
public:
    explicit TextReport(bool colour) : m_colour(colour) {}

    void BeginLine(std::string& out, const LineInfo& line) override;
    void AddMessage(std::string& out, const LineInfo& line, const MessageReport& message) override;
    bool AddKeptMessage(std::string& out, const LineInfo& line, const MessageReport& message) override;
    void EndLine(std::string& out, const LineInfo& line, bool valid) override;

private:
    // Writes the message's heading when its line holds several; returns the rows' indent.
    static std::string_view AppendHeading(std::string& out, const LineInfo& line,
                                          const MessageReport& message);
    // Writes the rows out; rows of a shape are kept for the messages of their layout.
    void AppendRows(std::string& out, std::string_view indent, const TableRows& rows,
                    const TableShape* shape);

    bool m_colour;
    TextHeaders m_headers;
    KeptRows m_kept;
    std::vector<std::uint32_t> m_cellAt; // where each cell of the rows being written stands
};
