#include "report/LineDecoder.h"

#include "capture/CaptureLine.h"
#include "common/modCommon.h"
#include "report/JsonReport.h"
#include "report/TextReport.h"

#include <algorithm>

LineDecoder::LineDecoder(const DecodeOptions& options) : m_options(options) {
    if (options.json)
        m_report = std::make_unique<JsonReport>();
    else
        m_report = std::make_unique<TextReport>(options.colour);
    m_keepsRows = !options.json;
    m_table.withWords = false; // the reports print the table, never the notes and words
    InitDetailView(m_table);
}

bool LineDecoder::Decode(std::string_view source, std::size_t number, std::string_view line, std::string& out,
                         std::string_view connection) {
    const CaptureLineParts parts = SplitCaptureLine(line);
    modCommon::SplitFields(parts.byteText, m_tokens);
    return DecodeTokens({source, number, connection, parts.date, parts.time}, out);
}

bool LineDecoder::DecodeBytes(const LineHeader& header, std::span<const std::uint8_t> bytes,
                              std::string& out) {
    m_tokens.resize(bytes.size());
    PutByteTokens(m_tokens.data(), bytes.data(), bytes.size());
    return DecodeTokens(header, out);
}

bool LineDecoder::DecodeTokens(const LineHeader& header, std::string& out) {
    FrameMessages(m_tokens, m_spans);
    const LineInfo info{header, m_tokens.size(), &m_spans};

    const std::size_t start = out.size();
    m_report->BeginLine(out, info);
    bool lineValid = true;
    const std::size_t messages = std::max<std::size_t>(m_spans.size(), 1);
    for (std::size_t i = 0; i < messages; ++i) {
        // The first message is the table the window shows for the whole line. A later one is decoded as
        // the window would have shown it had that message arrived alone.
        const MessageTokens* tokens = &m_tokens;
        if (i > 0) {
            const auto first = m_tokens.begin() + static_cast<std::ptrdiff_t>(m_spans[i].first);
            m_message.assign(first, first + static_cast<std::ptrdiff_t>(m_spans[i].count));
            tokens = &m_message;
        }
        DecodeMessage(m_table, *tokens);

        MessageReport message;
        message.index = i;
        message.span = m_spans.empty() ? nullptr : &m_spans[i];
        if (m_options.floors && m_table.btnDetailFloorsVisible) {
            ReadFloors(*tokens, m_floors);
            message.floors = &m_floors;
            message.valid = m_floors.valid();
        }
        // Plain rows have no red cell; their report may need no reading of the rows at all.
        if (m_keepsRows && m_reader.ReadShape(m_shape))
            message.shape = &m_shape;
        if (!message.shape || !m_report->AddKeptMessage(out, info, message)) {
            m_reader.Read(m_rows);
            message.rows = &m_rows;
            message.valid = message.valid && m_rows.valid;
            m_report->AddMessage(out, info, message);
        }
        lineValid = lineValid && message.valid;
    }
    m_report->EndLine(out, info, lineValid);
    if (m_options.invalidOnly && lineValid)
        out.resize(start);
    return lineValid;
}
