#pragma once

#include "report/Report.h"

// One JSON object a capture line (JSON Lines), keys in a fixed order so that two runs diff cleanly:
// {"source","line","date","time","bytes","framing","messages":[{"offset","bytes","length","short",
// "valid","header":{ROW:{...}},"data":{ROW:{...}},"floors":[...]}],"valid"}. A row is
// {"type","cells","cell_valid","valid","explanation"}; a missing byte is a null cell. "floors" (only
// with --floors, for a 0x20 message) lists floors 1 to 256, two binary digits each, null when missing.
class JsonReport : public Report {
public:
    void BeginLine(std::string& out, const LineInfo& line) override;
    void AddMessage(std::string& out, const LineInfo& line, const MessageReport& message) override;
    void EndLine(std::string& out, const LineInfo& line, bool valid) override;
};
