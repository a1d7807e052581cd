#pragma once

#include "decode/Framing.h"
#include "report/FloorPages.h"
#include "report/LineHeader.h"
#include "report/TableRows.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One decoded capture line handed to an output format piece by piece, so that a line with several
// messages needs only one decode table.
struct LineInfo : LineHeader {
    std::size_t byteCount = 0;
    const std::vector<MessageSpan>* spans = nullptr; // empty for a line without bytes
};

struct MessageReport {
    std::size_t index = 0;
    const MessageSpan* span = nullptr; // null for a line without bytes
    const TableRows* rows = nullptr;
    const FloorPages* floors = nullptr; // set when the floors were asked for and the message has them
    bool valid = true;
    const TableShape* shape = nullptr; // set when the rows are plain (TableReader::ReadShape)
};

class Report {
public:
    virtual ~Report() = default;
    virtual void BeginLine(std::string& out, const LineInfo& line) = 0;
    virtual void AddMessage(std::string& out, const LineInfo& line, const MessageReport& message) = 0;
    // The same for plain rows, without their rows read (message.shape set, message.rows null), from
    // what the report kept of an earlier message of that shape: false, with nothing written, when it
    // kept none. Only the text report keeps any.
    virtual bool AddKeptMessage(std::string&, const LineInfo&, const MessageReport&) { return false; }
    virtual void EndLine(std::string& out, const LineInfo& line, bool valid) = 0;
};
