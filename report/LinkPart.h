#pragma once

#include "report/PacketRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the record knows of the link: from a packet capture its connections with their summaries, from
// a capture file the times of its first and last lines, from the window its link history. Each list
// keeps its first kMostEntries and counts the rest, so memory stays bounded.

struct ConnectionEntry {
    std::string source;
    std::string connection; // "address:port > address:port"
    std::string opened;     // "[date] [time]" of its first and last packets
    std::string closed;
    std::uint64_t firstPacket = 0;
    std::uint64_t lastPacket = 0;
    StreamSummary stream;
};

// A link event of the window, in plain words (the window converts its own).
struct LinkEventEntry {
    std::string when;             // "[date] [time]"
    std::string kind;             // "connected", "peer closed", "stopped", "refused", "silent", "resumed"
    std::string peer;             // address:port
    std::int64_t durationMs = -1; // how long the connection or silence lasted, when it ended
};

struct SourceSpan {
    std::string source;
    std::uint64_t lines = 0;
    std::string firstDate, firstTime; // of the earliest line fed (lines are fed oldest first)
    std::string lastDate, lastTime;
};

class LinkPart {
public:
    static constexpr std::size_t kMostEntries = 1000;

    // A capture line of a source (a file, standard input, the window's list).
    void NoteLine(std::string_view source, std::string_view date, std::string_view time);
    void AddConnection(ConnectionEntry entry);
    void AddEvent(LinkEventEntry event);
    // Events the window dropped before it handed its history over.
    void AddDroppedEvents(std::uint64_t count) { m_droppedEvents += count; }

    const std::vector<SourceSpan>& sources() const { return m_sources; }
    const std::vector<ConnectionEntry>& connections() const { return m_connections; }
    std::uint64_t moreConnections() const { return m_moreConnections; }
    const std::vector<LinkEventEntry>& events() const { return m_events; }
    std::uint64_t droppedEvents() const { return m_droppedEvents; }

private:
    std::vector<SourceSpan> m_sources;
    std::vector<ConnectionEntry> m_connections;
    std::uint64_t m_moreConnections = 0;
    std::vector<LinkEventEntry> m_events;
    std::uint64_t m_droppedEvents = 0;
};

// "850 ms", "12.3 s", "5 min 3 s", "2 h 4 min", as the window says durations.
std::string DurationText(std::int64_t milliseconds);
