#include "link/ConnectionTable.h"

#include <algorithm>
#include <vector>

namespace {
// Ended connections whose ports are remembered: a few megabytes, whatever the capture.
constexpr std::size_t kRememberedEnds = 65536;
} // namespace

struct ConnectionTable::Live final : StreamListener {
    Live(PacketStreamSink& sink, TcpConnection connection) : sink(sink), connection(std::move(connection)) {}
    void Delivered(const StreamRead& read, const std::uint8_t* bytes) override {
        sink.Read(connection, read, bytes);
    }
    void Missing(const StreamGap& gap) override { sink.Gap(connection, gap); }

    PacketStreamSink& sink;
    TcpConnection connection;
};

ConnectionTable::ConnectionTable(PacketStreamSink& sink) : m_sink(sink) {}

ConnectionTable::~ConnectionTable() = default;

ConnectionTable::Live* ConnectionTable::Open(const ConnectionKey& key, const TcpSegment& segment) {
    TcpConnection connection{key, segment.packet, segment.timeNs, TcpReassembler(), m_opened++, 0, 0};
    auto live = std::make_unique<Live>(m_sink, std::move(connection));
    if (m_sink.Streams())
        live->connection.stream.Listen(live.get());
    Live* const opened = live.get();
    m_byKey[key] = std::move(live);
    m_sink.Opened(opened->connection);
    return opened;
}

void ConnectionTable::Close(const ConnectionKey& key, std::uint64_t lastPacket) {
    auto it = m_byKey.find(key);
    std::unique_ptr<Live> live = std::move(it->second);
    if (m_last == live.get())
        m_last = nullptr;
    live->connection.stream.Finish(lastPacket);
    m_sink.Closed(live->connection);
    m_ended.push_back(key);
    if (m_ended.size() > kRememberedEnds) {
        const auto oldest = m_byKey.find(m_ended.front());
        if (oldest != m_byKey.end() && !oldest->second)
            m_byKey.erase(oldest);
        m_ended.pop_front();
    }
}

void ConnectionTable::Add(const ConnectionKey& key, const TcpSegment& segment) {
    Live* live = m_last && m_last->connection.key == key ? m_last : nullptr;
    bool ended = false;
    if (!live) {
        const auto it = m_byKey.find(key);
        ended = it != m_byKey.end() && !it->second;
        live = it != m_byKey.end() ? it->second.get() : nullptr;
    }
    // The same ports again after the connection ended: the system connected anew.
    if (live && segment.syn && (live->connection.stream.finSeen() || live->connection.stream.rstSeen())) {
        Close(key, segment.packet);
        live = nullptr;
    } else if (ended && !segment.syn) {
        return;
    }
    if (!live)
        live = Open(key, segment);
    m_last = live;
    TcpConnection& connection = live->connection;
    connection.lastPacket = segment.packet;
    connection.lastTimeNs = segment.timeNs;
    connection.stream.Add(segment);
    if (connection.stream.Complete())
        Close(key, segment.packet);
}

void ConnectionTable::Finish(std::uint64_t lastPacket) {
    std::vector<std::pair<std::uint64_t, ConnectionKey>> open;
    for (const auto& [key, live] : m_byKey)
        if (live)
            open.emplace_back(live->connection.index, key);
    std::sort(open.begin(), open.end());
    for (const auto& entry : open)
        Close(entry.second, lastPacket);
}
