#include "cli/PcapDecode.h"

#include "capture/CaptureLine.h"
#include "cli/CommandLine.h"
#include "cli/StreamFramer.h"
#include "link/LocalClock.h"
#include "link/PacketCapture.h"
#include "report/PacketRecords.h"

#include <memory>
#include <unordered_map>

namespace {

constexpr std::string_view kCommand = "decode";
// Messages a batch: what a block read gives the capture-line reader, about.
constexpr std::size_t kBatchMessages = 4096;

StreamSummary Summary(const TcpReassembler& stream, std::uint64_t messages) {
    return {stream.deliveredBytes(),    messages,          stream.synSeen(),
            stream.finSeen(),           stream.rstSeen(),  stream.repeatedSegments(),
            stream.reorderedSegments(), stream.gapCount(), stream.missingBytes(),
            stream.lateBytes()};
}

// Every record goes through the decoder, so messages and records of all connections leave in the order
// they were made, whichever worker decoded them.
class DecodeSink final : public PacketStreamSink {
public:
    DecodeSink(const std::string& path, const DecodeOptions& options, BatchDecoder& decoder)
        : m_path(path), m_options(options), m_decoder(decoder) {}

    bool allValid() const { return m_allValid; }

    void Opened(const TcpConnection& connection) override {
        auto state = std::make_unique<Connection>(*this, connection);
        m_record.clear();
        AppendOpenedRecord(m_record, Header(*state, connection.firstPacket, connection.firstTimeNs),
                           m_options.json);
        m_decoder.AddRecord(m_record);
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
        const TcpReassembler& stream = connection.stream;
        m_record.clear();
        AppendConnectionRecord(m_record, Header(state, connection.lastPacket, connection.lastTimeNs),
                               Summary(stream, state.framer.messages()), m_options.json);
        m_decoder.AddRecord(m_record);
        m_allValid = m_allValid && stream.gapCount() == 0;
        m_last = nullptr;
        m_connections.erase(connection.index);
    }

private:
    struct Connection final : StreamFramer::Output {
        Connection(DecodeSink& sink, const TcpConnection& connection)
            : sink(sink), index(connection.index), text(ConnectionText(connection.key)),
              framer(connection.firstPacket, connection.firstTimeNs) {}
        void FramedMessage(const StreamFramer::Message& message) override { sink.AddMessage(*this, message); }
        void FramedGap(const GapRecord& gap, std::uint64_t packet, std::int64_t timeNs) override {
            sink.m_record.clear();
            AppendGapRecord(sink.m_record, sink.Header(*this, packet, timeNs), gap, sink.m_options.json);
            sink.m_decoder.AddRecord(sink.m_record);
        }

        DecodeSink& sink;
        std::uint64_t index;
        std::string text;
        StreamFramer framer;
    };

    Connection& Of(const TcpConnection& connection) {
        if (!m_last || m_last->index != connection.index)
            m_last = m_connections.at(connection.index).get();
        return *m_last;
    }

    // The place and time of a record: its packet's, in the connection's words.
    LineHeader Header(const Connection& connection, std::uint64_t packet, std::int64_t timeNs) {
        const CaptureLineParts parts = SplitCaptureLine(m_clock.PrefixAtNs(timeNs));
        return {m_path, packet, connection.text, parts.date, parts.time};
    }

    void AddMessage(const Connection& connection, const StreamFramer::Message& message) {
        m_decoder.AddBytes(m_path, message.packet, m_clock.PrefixAtNs(message.timeNs), message.bytes,
                           message.count, connection.text);
        if (++m_batched % kBatchMessages == 0)
            m_decoder.Submit();
    }

    const std::string& m_path;
    const DecodeOptions& m_options;
    BatchDecoder& m_decoder;
    LocalClock m_clock;
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> m_connections; // open ones, by index
    Connection* m_last = nullptr;
    std::string m_record;
    std::size_t m_batched = 0;
    bool m_allValid = true;
};

} // namespace

bool DecodePacketCapture(const std::string& path, std::uint16_t port, const DecodeOptions& options,
                         BatchDecoder& decoder, DecodeOutcome& outcome) {
    if (!IsPacketCaptureFile(path))
        return false;
    DecodeSink sink(path, options, decoder);
    const PacketStreamResult result = ReadPacketStream(path, port, sink);
    decoder.Drain();
    outcome.allValid = outcome.allValid && sink.allValid();
    if (result.linkType < 0) {
        PrintError(kCommand, "cannot open " + path + ": " + result.error);
        outcome.inputError = true;
    } else if (!result.error.empty() && result.packets == 0) {
        PrintError(kCommand, "cannot read " + path + ": " + result.error);
        outcome.inputError = true;
    } else if (!result.error.empty()) {
        PrintError(kCommand, "cannot read " + path + " to its end: " + result.error + " (after " +
                                 std::to_string(result.packets) + " packets)");
        outcome.inputError = true;
    } else if (result.connections == 0) {
        PrintError(kCommand, path + ": no TCP connection to port " + std::to_string(port) + " in " +
                                 std::to_string(result.packets) + " packets (--port chooses another)");
        outcome.inputError = true;
    }
    return true;
}
