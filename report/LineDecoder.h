#pragma once

#include "decode/DecodeTable.h"
#include "decode/Framing.h"
#include "report/FloorPages.h"
#include "report/Report.h"
#include "report/TableRows.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct DecodeOptions {
    bool json = false;
    bool floors = false;      // the 64 floors of a 0x20 message as the floors window reads them
    bool invalidOnly = false; // report only lines with an invalid or missing field
    bool colour = false;      // red cells drawn red (text only)
};

// Decodes capture lines one after the other the way the window decodes a selected line, with one
// decode table for the whole run, and appends each line's report to a buffer.
class LineDecoder {
public:
    explicit LineDecoder(const DecodeOptions& options);

    // Returns false when a message of the line has an invalid or missing field.
    bool Decode(std::string_view source, std::size_t number, std::string_view line, std::string& out,
                std::string_view connection = {});
    // The same for a message's bytes, reported as its capture line would be: the header's date and
    // time are the line's prefix's, as SplitCaptureLine reads it.
    bool DecodeBytes(const LineHeader& header, std::span<const std::uint8_t> bytes, std::string& out);

private:
    // The line's tokens are in m_tokens.
    bool DecodeTokens(const LineHeader& header, std::string& out);

    DecodeOptions m_options;
    std::unique_ptr<Report> m_report;
    DecodeTable m_table;
    TableReader m_reader{m_table};
    TableRows m_rows;
    TableShape m_shape;
    bool m_keepsRows = false; // the report keeps plain rows (Report::AddKeptMessage)
    FloorPages m_floors;
    MessageTokens m_tokens;  // the line's bytes
    MessageTokens m_message; // the bytes of a message after the first
    std::vector<MessageSpan> m_spans;
};
