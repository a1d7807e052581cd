#include "report/LinkPart.h"

void LinkPart::NoteLine(std::string_view source, std::string_view date, std::string_view time) {
    if (m_sources.empty() || m_sources.back().source != source) {
        if (m_sources.size() >= kMostEntries)
            return;
        m_sources.push_back({std::string(source), 0, std::string(date), std::string(time), {}, {}});
    }
    SourceSpan& span = m_sources.back();
    ++span.lines;
    if (span.lastTime != time)
        span.lastTime = time;
    if (span.lastDate != date)
        span.lastDate = date;
}

void LinkPart::AddConnection(ConnectionEntry entry) {
    if (m_connections.size() < kMostEntries)
        m_connections.push_back(std::move(entry));
    else
        ++m_moreConnections;
}

void LinkPart::AddEvent(LinkEventEntry event) {
    if (m_events.size() < kMostEntries)
        m_events.push_back(std::move(event));
    else
        ++m_droppedEvents;
}

std::string DurationText(std::int64_t ms) {
    if (ms < 1000)
        return std::to_string(ms) + " ms";
    if (ms < 60'000) {
        const std::int64_t tenths = (ms + 50) / 100;
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
    }
    const std::int64_t seconds = ms / 1000;
    if (seconds < 3600)
        return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) + " min";
}
