#pragma once

#include "report/LineHeader.h"

#include <cstdint>
#include <string>

// The records a packet capture's report has besides its messages: the opening and the summary of each
// connection to the port, and each gap in a connection's byte stream. A record begins like a decoded line
// (source, packet number, date, time, connection) and is a line of text or a JSON object with the same first
// keys.

struct StreamSummary {
    std::uint64_t bytes = 0;
    std::uint64_t messages = 0;
    bool syn = false;
    bool fin = false;
    bool reset = false;
    std::uint64_t repeatedSegments = 0;
    std::uint64_t reorderedSegments = 0;
    std::uint64_t gaps = 0;
    std::uint64_t missingBytes = 0;
    std::uint64_t lateBytes = 0; // came after their place in the stream was given up
};

// Where framing goes on after a gap. The length byte of the message the gap cuts tells where the next
// one starts, unless that is inside the gap too; then nothing does, and the best guess left is the next
// segment, since senders write a message at a time.
enum class Resume { MessageEnd, NextSegment, End };

struct GapRecord {
    std::uint64_t offset = 0; // stream offset of the first missing byte
    std::uint64_t missing = 0;
    bool cutsMessage = false;
    std::uint64_t messageOffset = 0;
    std::uint64_t messageLength = 0;
    std::uint64_t passedOver = 0; // bytes of the cut message after the gap
    Resume resume = Resume::End;
};

// The first record of a connection; header.number is its first packet.
void AppendOpenedRecord(std::string& out, const LineHeader& header, bool json);
// The last record of a connection, after its messages and gaps; header.number is its last packet. The
// record is valid when the stream has no gap.
void AppendConnectionRecord(std::string& out, const LineHeader& header, const StreamSummary& stream,
                            bool json);
// header.number is the packet where framing goes on (or the last one, when nothing follows the gap).
void AppendGapRecord(std::string& out, const LineHeader& header, const GapRecord& gap, bool json);
