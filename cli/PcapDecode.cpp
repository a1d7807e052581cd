#include "cli/PcapDecode.h"

#include "capture/CaptureLine.h"
#include "cli/CommandLine.h"
#include "decode/MessageFormat.h"
#include "link/LocalClock.h"
#include "link/PacketCapture.h"
#include "report/PacketRecords.h"

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

constexpr std::string_view kCommand = "decode";
// Messages a batch: what a block read gives the capture-line reader, about.
constexpr std::size_t kBatchMessages = 4096;

// A message (bytes of the stream and the read holding its first byte) or a gap.
struct Item {
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t read = 0;
    bool isGap = false;
    GapRecord gap;
};

// The messages and gaps of one connection in stream order.
class StreamFramer {
public:
    explicit StreamFramer(const TcpReassembler& stream) : m_stream(stream) {
        for (const StreamGap& gap : stream.gaps()) {
            RunTo(gap.beforeRead);
            AddGap(gap);
        }
        RunTo(stream.reads().size());
    }

    const std::vector<Item>& items() const { return m_items; }
    std::size_t messages() const { return m_messages; }

private:
    // The reads from the current one to readEnd lie back to back in the stream.
    void RunTo(std::size_t readEnd) {
        const auto& reads = m_stream.reads();
        if (m_read >= readEnd)
            return;
        const std::vector<std::uint8_t>& bytes = m_stream.bytes();
        std::size_t pos = reads[m_read].at;
        const std::size_t end = reads[readEnd - 1].at + reads[readEnd - 1].size;
        const std::uint64_t base = reads[m_read].offset - reads[m_read].at; // stream offset of bytes[0] here
        const std::size_t passed = static_cast<std::size_t>(std::min<std::uint64_t>(m_skip, end - pos));
        pos += passed;
        m_skip -= passed;
        std::size_t read = m_read;
        while (pos < end) {
            const std::uint64_t length = MessageFormat::MessageSize(bytes[pos]);
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(length, end - pos));
            while (reads[read].at + reads[read].size <= pos)
                ++read;
            m_items.push_back({pos, count, read, false, {}});
            ++m_messages;
            if (count < length) {
                m_open = true;
                m_openOffset = base + pos;
                m_openLength = length;
                m_openHave = count;
            }
            pos += count;
        }
        m_read = readEnd;
    }

    void AddGap(const StreamGap& gap) {
        GapRecord record{gap.offset, gap.size};
        const bool inMessage = m_open || m_skip > 0;
        const std::uint64_t toMessageEnd = m_open ? m_openLength - m_openHave : m_skip;
        record.cutsMessage = inMessage;
        record.messageOffset = m_openOffset;
        record.messageLength = m_openLength;
        if (inMessage && toMessageEnd >= gap.size) {
            m_skip = toMessageEnd - gap.size;
            record.resume = Resume::MessageEnd;
            record.passedOver = m_skip;
        } else {
            m_skip = 0;
            record.resume = Resume::NextSegment;
        }
        if (gap.beforeRead >= m_stream.reads().size())
            record.resume = Resume::End;
        m_open = false;
        m_items.push_back({0, 0, gap.beforeRead, true, record});
    }

    const TcpReassembler& m_stream;
    std::vector<Item> m_items;
    std::size_t m_messages = 0;
    std::size_t m_read = 0;
    std::uint64_t m_skip = 0; // bytes of a cut message still to pass over
    bool m_open = false;      // the last message framed runs past the bytes so far
    std::uint64_t m_openOffset = 0;
    std::uint64_t m_openLength = 0;
    std::uint64_t m_openHave = 0;
};

StreamSummary Summary(const TcpReassembler& stream, std::size_t messages) {
    return {stream.bytes().size(),      messages,
            stream.synSeen(),           stream.finSeen(),
            stream.rstSeen(),           stream.repeatedSegments(),
            stream.reorderedSegments(), stream.gaps().size(),
            stream.missingBytes(),      stream.lateBytes()};
}

// The place and time of a record: its packet's, in the connection's words.
class RecordHeader {
public:
    RecordHeader(const std::string& path, const TcpConnection& connection, LocalClock& clock)
        : m_path(path), m_connection(ConnectionText(connection.key)), m_clock(clock) {}

    const std::string& connectionText() const { return m_connection; }

    LineHeader At(std::uint64_t packet, std::int64_t timeNs) {
        const CaptureLineParts parts = SplitCaptureLine(m_clock.PrefixAtNs(timeNs));
        return {m_path, packet, m_connection, parts.date, parts.time};
    }

private:
    const std::string& m_path;
    std::string m_connection;
    LocalClock& m_clock;
};

void DecodeConnection(const std::string& path, const TcpConnection& connection, const DecodeOptions& options,
                      BatchDecoder& decoder, const std::function<void(std::string_view)>& write,
                      LocalClock& clock) {
    const TcpReassembler& stream = connection.stream;
    const StreamFramer framer(stream);
    RecordHeader records(path, connection, clock);
    decoder.Drain();
    std::string record;
    AppendConnectionRecord(record, records.At(connection.firstPacket, connection.firstTimeNs),
                           Summary(stream, framer.messages()), options.json);
    write(record);

    const auto& reads = stream.reads();
    const auto& bytes = stream.bytes();
    std::string line;
    std::size_t batched = 0;
    for (const Item& item : framer.items()) {
        if (item.isGap) {
            decoder.Drain();
            const StreamRead& near =
                item.read < reads.size() ? reads[item.read]
                : reads.empty() ? StreamRead{0, 0, 0, connection.firstTimeNs, connection.firstPacket, 0}
                                : reads.back();
            record.clear();
            AppendGapRecord(record, records.At(near.packet, near.timeNs), item.gap, options.json);
            write(record);
            continue;
        }
        const StreamRead& read = reads[item.read];
        line = clock.PrefixAtNs(read.timeNs);
        AppendCaptureBytes(line, bytes.data() + item.first, item.count);
        decoder.Add(path, read.packet, line, records.connectionText());
        if (++batched % kBatchMessages == 0)
            decoder.Submit();
    }
}

} // namespace

bool DecodePacketCapture(const std::string& path, std::uint16_t port, const DecodeOptions& options,
                         BatchDecoder& decoder, const std::function<void(std::string_view)>& write,
                         DecodeOutcome& outcome) {
    if (!IsPacketCaptureFile(path))
        return false;
    const PacketCaptureContents contents = ReadPacketCapture(path, port);
    if (contents.linkType < 0) {
        PrintError(kCommand, "cannot open " + path + ": " + contents.error);
        outcome.inputError = true;
        return true;
    }
    LocalClock clock;
    for (const TcpConnection& connection : contents.connections) {
        DecodeConnection(path, connection, options, decoder, write, clock);
        outcome.allValid = outcome.allValid && connection.stream.gaps().empty();
    }
    decoder.Drain();
    if (!contents.error.empty() && contents.packets == 0) {
        PrintError(kCommand, "cannot read " + path + ": " + contents.error);
        outcome.inputError = true;
    } else if (!contents.error.empty()) {
        PrintError(kCommand, "cannot read " + path + " to its end: " + contents.error + " (after " +
                                 std::to_string(contents.packets) + " packets)");
        outcome.inputError = true;
    } else if (contents.connections.empty()) {
        PrintError(kCommand, path + ": no TCP connection to port " + std::to_string(port) + " in " +
                                 std::to_string(contents.packets) + " packets (--port chooses another)");
        outcome.inputError = true;
    }
    return true;
}
