#include "cli/LineDecoder.h"

#include "capture/CaptureLine.h"
#include "cli/Framing.h"
#include "cli/JsonReport.h"
#include "cli/TextReport.h"

#include <algorithm>

LineDecoder::LineDecoder(const DecodeOptions& options) : m_options(options) {
    if (options.json)
        m_report = std::make_unique<JsonReport>();
    else
        m_report = std::make_unique<TextReport>(options.colour);
    InitDetailView(m_table);
}

bool LineDecoder::Decode(std::string_view source, std::size_t number, std::string_view line, std::string& out,
                         std::string_view connection) {
    const CaptureLineParts parts = SplitCaptureLine(line);
    std::vector<MessageSpan>& spans = m_spans;
    FrameMessages(parts.byteText, spans);
    std::size_t byteCount = 0;
    for (const MessageSpan& span : spans)
        byteCount += span.count;
    const LineInfo info{source, number, connection, parts.date, parts.time, byteCount, &spans};

    const std::size_t start = out.size();
    m_report->BeginLine(out, info);
    bool lineValid = true;
    const std::size_t messages = std::max<std::size_t>(spans.size(), 1);
    for (std::size_t i = 0; i < messages; ++i) {
        // The first message is the table the window shows for the whole line. A later one is decoded as
        // the line the window would have shown had that message arrived alone.
        std::string_view decoded = line;
        if (i > 0) {
            m_messageLine = MakeCapturePrefix(parts.date, parts.time);
            m_messageLine += ' ';
            m_messageLine += spans[i].text;
            decoded = m_messageLine;
        }
        const SelectionResult selection = DecodeLine(m_table, decoded);
        m_reader.Read(m_rows);

        MessageReport message{i, spans.empty() ? nullptr : &spans[i], &m_rows, nullptr, m_rows.valid};
        if (m_options.floors && m_table.btnDetailFloorsVisible) {
            ReadFloors(selection.byteText, m_floors);
            message.floors = &m_floors;
            message.valid = message.valid && m_floors.valid();
        }
        m_report->AddMessage(out, info, message);
        lineValid = lineValid && message.valid;
    }
    m_report->EndLine(out, info, lineValid);
    if (m_options.invalidOnly && lineValid)
        out.resize(start);
    return lineValid;
}
