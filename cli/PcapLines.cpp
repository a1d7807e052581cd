#include "cli/PcapLines.h"

#include "capture/CaptureLine.h"
#include "cli/CommandLine.h"
#include "cli/StreamFramer.h"
#include "link/LocalClock.h"

#include <memory>
#include <unordered_map>

namespace {

StreamSummary Summary(const TcpReassembler& stream, std::uint64_t messages) {
    return {stream.deliveredBytes(),    messages,          stream.synSeen(),
            stream.finSeen(),           stream.rstSeen(),  stream.repeatedSegments(),
            stream.reorderedSegments(), stream.gapCount(), stream.missingBytes(),
            stream.lateBytes()};
}

class LineMaker final : public PacketStreamSink {
public:
    LineMaker(const std::string& path, PcapLineSink& sink) : m_path(path), m_sink(sink) {}

    void Opened(const TcpConnection& connection) override {
        auto state = std::make_unique<Connection>(*this, connection);
        state->openedPrefix = m_clock.PrefixAtNs(connection.firstTimeNs);
        m_sink.Opened(Header(*state, connection.firstPacket, connection.firstTimeNs));
        m_connections[connection.index] = std::move(state);
    }
    void Read(const TcpConnection& connection, const StreamRead& read, const std::uint8_t* bytes) override {
        Connection& state = Of(connection);
        state.framer.Read(read, bytes, state);
    }
    void Gap(const TcpConnection& connection, const StreamGap& gap) override {
        Connection& state = Of(connection);
        state.framer.Gap(gap, state);
    }
    void Closed(TcpConnection& connection) override {
        Connection& state = Of(connection);
        state.framer.End(state);
        const CaptureLineParts opened = SplitCaptureLine(state.openedPrefix);
        const LineHeader openedHeader{m_path, connection.firstPacket, state.text, opened.date, opened.time};
        m_sink.Closed(Header(state, connection.lastPacket, connection.lastTimeNs), openedHeader,
                      Summary(connection.stream, state.framer.messages()));
        m_last = nullptr;
        m_connections.erase(connection.index);
    }

private:
    struct Connection final : StreamFramer::Output {
        Connection(LineMaker& maker, const TcpConnection& connection)
            : maker(maker), index(connection.index), text(ConnectionText(connection.key)),
              framer(connection.firstPacket, connection.firstTimeNs) {}
        void FramedMessage(const StreamFramer::Message& message) override {
            maker.AddMessage(*this, message);
        }
        void FramedGap(const GapRecord& gap, std::uint64_t packet, std::int64_t timeNs) override {
            maker.m_sink.Gap(maker.Header(*this, packet, timeNs), gap);
        }

        LineMaker& maker;
        std::uint64_t index;
        std::string text;
        std::string openedPrefix;
        StreamFramer framer;
    };

    Connection& Of(const TcpConnection& connection) {
        if (!m_last || m_last->index != connection.index)
            m_last = m_connections.at(connection.index).get();
        return *m_last;
    }

    // The place and time of a record: its packet's, in the connection's words.
    LineHeader Header(const Connection& connection, std::uint64_t packet, std::int64_t timeNs) {
        const CaptureLineParts& parts = m_clock.PartsAtNs(timeNs);
        return {m_path, packet, connection.text, parts.date, parts.time};
    }

    void AddMessage(const Connection& connection, const StreamFramer::Message& message) {
        const CaptureLineParts& parts = m_clock.PartsAtNs(message.timeNs);
        const std::string& prefix = m_clock.PrefixAtNs(message.timeNs);
        m_sink.Message({m_path, message.packet, connection.text, parts.date, parts.time}, prefix,
                       message.bytes, message.count);
    }

    const std::string& m_path;
    PcapLineSink& m_sink;
    LocalClock m_clock;
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> m_connections; // open ones, by index
    Connection* m_last = nullptr;
};

} // namespace

PacketStreamResult ReadPcapLines(const std::string& path, std::uint16_t port, PcapLineSink& sink) {
    LineMaker maker(path, sink);
    return ReadPacketStream(path, port, maker);
}

bool ReportPcapProblem(std::string_view command, const std::string& path, std::uint16_t port,
                       const PacketStreamResult& result) {
    if (result.linkType < 0)
        PrintError(command, "cannot open " + path + ": " + result.error);
    else if (!result.error.empty() && result.packets == 0)
        PrintError(command, "cannot read " + path + ": " + result.error);
    else if (!result.error.empty())
        PrintError(command, "cannot read " + path + " to its end: " + result.error + " (after " +
                                std::to_string(result.packets) + " packets)");
    else if (result.connections == 0)
        PrintError(command, path + ": no TCP connection to port " + std::to_string(port) + " in " +
                                std::to_string(result.packets) + " packets (--port chooses another)");
    else
        return false;
    return true;
}
