#pragma once

#include "link/PacketCapture.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>

// The connections of a packet capture that are open at the packet being read, each with its stream
// put back in order, telling a sink what happens to them. A connection is released as soon as it
// ends; the ports of the latest ended ones are remembered so that the last ACK after a FIN does not
// look like a connection of its own.
class ConnectionTable {
public:
    explicit ConnectionTable(PacketStreamSink& sink);
    ~ConnectionTable();
    ConnectionTable(const ConnectionTable&) = delete;
    ConnectionTable& operator=(const ConnectionTable&) = delete;

    void Add(const ConnectionKey& key, const TcpSegment& segment);
    // The end of the file: every open connection ends, in the order of its first packet.
    void Finish(std::uint64_t lastPacket);
    std::uint64_t connections() const { return m_opened; }

private:
    struct Live;

    Live* Open(const ConnectionKey& key, const TcpSegment& segment);
    void Close(const ConnectionKey& key, std::uint64_t lastPacket);

    PacketStreamSink& m_sink;
    // Null for a connection that ended: a segment without SYN on its ports is one of its stragglers.
    std::map<ConnectionKey, std::unique_ptr<Live>> m_byKey;
    std::deque<ConnectionKey> m_ended; // oldest first
    Live* m_last = nullptr;            // the connection of the previous segment: usually the same
    std::uint64_t m_opened = 0;
};
