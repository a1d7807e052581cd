#include "report/MessageStream.h"

#include "decode/LineMessages.h"

#include <algorithm>
#include <span>

std::string PlaceText(const MessageOrigin& origin) {
    std::string text = "message " + std::to_string(origin.index + 1) + " of " + std::to_string(origin.count);
    if (origin.joinedLines == 1)
        text += ", joined with the next line";
    else if (origin.joinedLines > 1)
        text += ", joined with the next " + std::to_string(origin.joinedLines) + " lines";
    if (origin.shortBy > 0)
        text +=
            ", " + std::to_string(origin.shortBy) + (origin.shortBy == 1 ? " byte" : " bytes") + " missing";
    return text;
}

void MessageStream::HandOnOpen(Sink& sink) {
    m_message.clear();
    for (const std::string& token : m_openTokens)
        m_message.push_back(token);
    m_openOrigin.source = m_openSource;
    m_openOrigin.connection = m_openConnection;
    m_openOrigin.date = m_openDate;
    m_openOrigin.time = m_openTime;
    m_openOrigin.shortBy = m_openOrigin.length - m_openTokens.size();
    m_open = false;
    sink.Framed(m_message, m_openOrigin);
}

void MessageStream::End(Sink& sink) {
    if (m_open)
        HandOnOpen(sink);
}

void MessageStream::AddLine(const RecordLine& line, const MessageTokens& tokens,
                            const MessageOrigin& lineTime, Sink& sink) {
    if (line.newStream)
        End(sink);
    std::size_t carry = 0;
    if (m_open) {
        const std::uint64_t owed = m_openOrigin.length - m_openTokens.size();
        carry = static_cast<std::size_t>(std::min<std::uint64_t>(owed, tokens.size()));
        m_openTokens.insert(m_openTokens.end(), tokens.begin(),
                            tokens.begin() + static_cast<std::ptrdiff_t>(carry));
        ++m_openOrigin.joinedLines;
        if (m_openTokens.size() == m_openOrigin.length || m_openOrigin.joinedLines >= LineMessages::kMaxLines)
            HandOnOpen(sink);
    }
    FrameMessages(std::span(tokens).subspan(carry), m_spans);
    MessageOrigin origin = lineTime;
    origin.source = line.source;
    origin.connection = line.connection;
    origin.number = line.number;
    origin.countedFromEnd = line.countedFromEnd;
    origin.fromBytes = line.bytesGiven;
    origin.count = m_spans.size();
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        const MessageSpan& span = m_spans[i];
        const auto first = tokens.begin() + static_cast<std::ptrdiff_t>(carry + span.first);
        origin.index = i;
        origin.length = span.length;
        if (span.shortBy() == 0) {
            m_message.assign(first, first + static_cast<std::ptrdiff_t>(span.count));
            sink.Framed(m_message, origin);
            continue;
        }
        // Only the last message of a line can run past it.
        m_open = true;
        m_openTokens.assign(first, first + static_cast<std::ptrdiff_t>(span.count));
        m_openSource = line.source;
        m_openConnection = line.connection;
        m_openDate = lineTime.date;
        m_openTime = lineTime.time;
        m_openOrigin = origin;
        m_openOrigin.fromBytes = false; // the lines that finish it may be text
    }
}
