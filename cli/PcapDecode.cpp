#include "cli/PcapDecode.h"

#include "capture/CaptureLine.h"
#include "link/LocalClock.h"
#include "common/AppendNumber.h"
#include "cli/CommandLine.h"
#include "cli/JsonText.h"
#include "decode/MessageFormat.h"
#include "link/PacketCapture.h"

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

constexpr std::string_view kCommand = "decode";
constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// Messages a batch: what a block read gives the capture-line reader, about.
constexpr std::size_t kBatchMessages = 4096;

// Where framing goes on after a gap. The length byte of the message the gap cuts tells where the next
// one starts, unless that is inside the gap too; then nothing does, and the best guess left is the next
// segment, since senders write a message at a time.
enum class Resume { MessageEnd, NextSegment, End };

struct GapReport {
    const StreamGap* gap = nullptr;
    bool cutsMessage = false;
    std::uint64_t messageOffset = 0;
    std::uint64_t messageLength = 0;
    std::uint64_t passedOver = 0; // bytes of the cut message after the gap
    Resume resume = Resume::End;
};

// A message (bytes of the stream and the read holding its first byte) or a gap.
struct Item {
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t read = 0;
    GapReport gap; // set for a gap
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
            m_items.push_back({pos, count, read, {}});
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
        GapReport report;
        report.gap = &gap;
        const bool inMessage = m_open || m_skip > 0;
        const std::uint64_t toMessageEnd = m_open ? m_openLength - m_openHave : m_skip;
        report.cutsMessage = inMessage;
        report.messageOffset = m_openOffset;
        report.messageLength = m_openLength;
        if (inMessage && toMessageEnd >= gap.size) {
            m_skip = toMessageEnd - gap.size;
            report.resume = Resume::MessageEnd;
            report.passedOver = m_skip;
        } else {
            m_skip = 0;
            report.resume = Resume::NextSegment;
        }
        if (gap.beforeRead >= m_stream.reads().size())
            report.resume = Resume::End;
        m_open = false;
        m_items.push_back({0, 0, gap.beforeRead, report});
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

void AppendCount(std::string& out, std::uint64_t count, std::string_view one, std::string_view many) {
    AppendNumber(out, count);
    out += ' ';
    out += count == 1 ? one : many;
}

// The report of a connection or a gap: a line of text like a decoded line's first, or a JSON object
// with the same first keys.
class RecordWriter {
public:
    RecordWriter(const std::string& path, const TcpConnection& connection, bool json, LocalClock& clock)
        : m_path(path), m_connection(ConnectionText(connection.key)), m_json(json), m_clock(clock) {}

    const std::string& connectionText() const { return m_connection; }

    std::string Summary(const TcpConnection& connection, std::size_t messages) {
        const TcpReassembler& stream = connection.stream;
        std::string out = Begin(connection.firstPacket, connection.firstTimeNs);
        if (m_json) {
            out += ",\"stream\":{\"bytes\":";
            AppendNumber(out, stream.bytes().size());
            out += ",\"messages\":";
            AppendNumber(out, messages);
            out += ",\"syn\":";
            out += stream.synSeen() ? "true" : "false";
            out += ",\"fin\":";
            out += stream.finSeen() ? "true" : "false";
            out += ",\"reset\":";
            out += stream.rstSeen() ? "true" : "false";
            out += ",\"repeated\":";
            AppendNumber(out, stream.repeatedSegments());
            out += ",\"out_of_order\":";
            AppendNumber(out, stream.reorderedSegments());
            out += ",\"gaps\":";
            AppendNumber(out, stream.gaps().size());
            out += ",\"missing\":";
            AppendNumber(out, stream.missingBytes());
            out += ",\"late\":";
            AppendNumber(out, stream.lateBytes());
            out += "}";
            return End(out, stream.gaps().empty());
        }
        out += "connection: ";
        AppendCount(out, stream.bytes().size(), "byte", "bytes");
        out += ", ";
        AppendCount(out, messages, "message", "messages");
        out += stream.synSeen() ? ", SYN seen" : ", SYN not in the capture";
        out += stream.rstSeen()   ? ", reset"
               : stream.finSeen() ? ", closed by FIN"
                                  : ", still open at the end of the capture";
        if (stream.repeatedSegments() > 0) {
            out += ", ";
            AppendCount(out, stream.repeatedSegments(), "segment repeated", "segments repeated");
        }
        if (stream.reorderedSegments() > 0) {
            out += ", ";
            AppendCount(out, stream.reorderedSegments(), "segment out of order", "segments out of order");
        }
        if (!stream.gaps().empty()) {
            out += ", ";
            AppendCount(out, stream.gaps().size(), "gap", "gaps");
            out += " (";
            AppendCount(out, stream.missingBytes(), "byte", "bytes");
            out += " missing)";
        }
        if (stream.lateBytes() > 0) {
            out += ", ";
            AppendCount(out, stream.lateBytes(), "byte", "bytes");
            out += " came after their place was given up";
        }
        return End(out, stream.gaps().empty());
    }

    std::string Gap(const GapReport& report, const StreamRead& near) {
        const StreamGap& gap = *report.gap;
        std::string out = Begin(near.packet, near.timeNs);
        if (m_json) {
            out += ",\"gap\":{\"offset\":";
            AppendNumber(out, gap.offset);
            out += ",\"missing\":";
            AppendNumber(out, gap.size);
            out += ",\"cut_message\":";
            if (report.cutsMessage) {
                out += "{\"offset\":";
                AppendNumber(out, report.messageOffset);
                out += ",\"length\":";
                AppendNumber(out, report.messageLength);
                out += '}';
            } else {
                out += "null";
            }
            out += ",\"passed_over\":";
            AppendNumber(out, report.passedOver);
            out += ",\"resume\":\"";
            out += report.resume == Resume::MessageEnd    ? "message end"
                   : report.resume == Resume::NextSegment ? "next segment"
                                                          : "end";
            out += "\"}";
            return End(out, false);
        }
        out += "gap: ";
        AppendCount(out, gap.size, "byte", "bytes");
        out += " missing from the capture at stream byte ";
        AppendNumber(out, gap.offset);
        if (report.cutsMessage) {
            out += "; it cuts the message of ";
            AppendCount(out, report.messageLength, "byte", "bytes");
            out += " from stream byte ";
            AppendNumber(out, report.messageOffset);
        }
        switch (report.resume) {
        case Resume::MessageEnd:
            if (report.passedOver > 0) {
                out += "; its last ";
                AppendCount(out, report.passedOver, "byte", "bytes");
                out += " after the gap are passed over";
            } else {
                out += "; the next message starts after the gap";
            }
            break;
        case Resume::NextSegment:
            out += "; framing starts again at packet ";
            AppendNumber(out, near.packet);
            out += ", which may begin inside a message";
            break;
        case Resume::End:
            out += "; nothing follows it in the capture";
            break;
        }
        return End(out, false);
    }

private:
    std::string Begin(std::uint64_t packet, std::int64_t timeNs) {
        const CaptureLineParts parts =
            SplitCaptureLine(m_clock.PrefixAt(static_cast<std::time_t>(timeNs / kNsPerSecond)));
        std::string out;
        if (m_json) {
            out += "{\"source\":";
            AppendJsonString(out, m_path);
            out += ",\"line\":";
            AppendNumber(out, packet);
            out += ",\"connection\":";
            AppendJsonString(out, m_connection);
            out += ",\"date\":";
            AppendJsonString(out, parts.date);
            out += ",\"time\":";
            AppendJsonString(out, parts.time);
            return out;
        }
        out += m_path;
        out += ':';
        AppendNumber(out, packet);
        out += "  [";
        out += parts.date;
        out += "] [";
        out += parts.time;
        out += "]  ";
        out += m_connection;
        out += "  ";
        return out;
    }

    std::string& End(std::string& out, bool valid) const {
        if (m_json) {
            out += ",\"valid\":";
            out += valid ? "true" : "false";
            out += "}\n";
        } else {
            out += "\n\n";
        }
        return out;
    }

    const std::string& m_path;
    std::string m_connection;
    bool m_json;
    LocalClock& m_clock;
};

void DecodeConnection(const std::string& path, const TcpConnection& connection, const DecodeOptions& options,
                      BatchDecoder& decoder, const std::function<void(std::string_view)>& write,
                      LocalClock& clock) {
    const TcpReassembler& stream = connection.stream;
    const StreamFramer framer(stream);
    RecordWriter records(path, connection, options.json, clock);
    decoder.Drain();
    write(records.Summary(connection, framer.messages()));

    const auto& reads = stream.reads();
    const auto& bytes = stream.bytes();
    std::string line;
    std::size_t batched = 0;
    for (const Item& item : framer.items()) {
        if (item.gap.gap) {
            decoder.Drain();
            const StreamRead& near =
                item.read < reads.size() ? reads[item.read]
                : reads.empty() ? StreamRead{0, 0, 0, connection.firstTimeNs, connection.firstPacket, 0}
                                : reads.back();
            write(records.Gap(item.gap, near));
            continue;
        }
        const StreamRead& read = reads[item.read];
        line = clock.PrefixAt(static_cast<std::time_t>(read.timeNs / kNsPerSecond));
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
