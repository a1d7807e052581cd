#include "cli/ReportRun.h"

#include "capture/CaptureLine.h"
#include "cli/BoundedQueue.h"
#include "cli/CaptureInput.h"
#include "cli/CommandLine.h"
#include "cli/OldestFirstLines.h"
#include "cli/PcapLines.h"

#include <optional>
#include <thread>

namespace {

constexpr std::string_view kCommand = "report";

std::string Prefix(const LineHeader& header) {
    return "[" + std::string(header.date) + "] [" + std::string(header.time) + "]";
}

// An input is read (from a file's end, or libpcap with the reassembly and the making of the lines) on
// a thread of its own, which hands the lines over in batches, so that reading overlaps the record's
// work.
struct LineBatch {
    static constexpr std::size_t kLines = 4096;
    static constexpr std::size_t kUnderWay = 4;

    std::string text; // the lines back to back
    struct Item {
        std::size_t offset = 0;
        std::size_t size = 0;
        std::uint64_t number = 0;
        std::size_t connection =
            0; // in connections, when there are any; kEnd: ends[offset] is a connection's end
        bool newStream = false;
        std::size_t firstByte = kNoBytes; // a packet capture's message: where its bytes stand in bytes
        std::size_t byteCount = 0;
    };
    static constexpr std::size_t kEnd = ~std::size_t{0};
    static constexpr std::size_t kNoBytes = ~std::size_t{0};
    std::vector<Item> items;
    std::vector<std::uint8_t> bytes;      // of a packet capture's messages, back to back
    std::vector<std::string> connections; // a packet capture's: each run of one connection once
    std::vector<ConnectionEntry> ends;
    // A capture file's: whether its numbers count from its end, and its FormatText.
    bool countedFromEnd = false;
    std::string formatText;
};

// A packet capture's messages are framed per connection already: each is a stream of its own, and a
// connection's end brings its summary.
class BatchingSink final : public PcapLineSink {
public:
    explicit BatchingSink(BoundedQueue<LineBatch>& queue) : m_queue(queue) {}

    void Opened(const LineHeader&) override {}
    // The capture line is made here, straight into the batch, and the bytes are kept beside it: the
    // record reads them rather than the line's text.
    void Message(const LineHeader& header, std::string_view prefix, const std::uint8_t* bytes,
                 std::size_t count) override {
        if (m_batch.connections.empty() || m_batch.connections.back() != header.connection)
            m_batch.connections.emplace_back(header.connection);
        const std::size_t offset = m_batch.text.size();
        m_batch.text += prefix;
        AppendCaptureBytes(m_batch.text, bytes, count);
        const std::size_t firstByte = m_batch.bytes.size();
        m_batch.bytes.insert(m_batch.bytes.end(), bytes, bytes + count);
        m_batch.items.push_back({offset, m_batch.text.size() - offset, header.number,
                                 m_batch.connections.size() - 1, true, firstByte, count});
        if (m_batch.items.size() >= LineBatch::kLines)
            Flush();
    }
    void Gap(const LineHeader&, const GapRecord&) override {}
    void Closed(const LineHeader& header, const LineHeader& opened, const StreamSummary& stream) override {
        m_batch.items.push_back({m_batch.ends.size(), 0, 0, LineBatch::kEnd});
        m_batch.ends.push_back({std::string(header.source), std::string(header.connection), Prefix(opened),
                                Prefix(header), opened.number, header.number, stream});
    }
    void Flush() {
        m_queue.Push(std::move(m_batch));
        m_batch = LineBatch();
    }

private:
    BoundedQueue<LineBatch>& m_queue;
    LineBatch m_batch;
};

void FeedBatch(const std::string& path, LineBatch& batch, CommissioningRecord& record) {
    for (const LineBatch::Item& item : batch.items) {
        if (item.connection == LineBatch::kEnd) {
            record.EndStream();
            record.AddConnection(std::move(batch.ends[item.offset]));
            continue;
        }
        const std::string_view line = std::string_view(batch.text).substr(item.offset, item.size);
        const std::string_view connection =
            batch.connections.empty() ? std::string_view() : batch.connections[item.connection];
        const bool bytesGiven = item.firstByte != LineBatch::kNoBytes;
        record.AddLine({path, item.number, line, connection, item.newStream, batch.countedFromEnd, bytesGiven,
                        bytesGiven ? std::span(batch.bytes).subspan(item.firstByte, item.byteCount)
                                   : std::span<const std::uint8_t>()});
    }
}

// False when the capture could not be read whole.
bool FeedPacketCapture(const std::string& path, const ReportInputs& inputs, CommissioningRecord& record) {
    BoundedQueue<LineBatch> queue(LineBatch::kUnderWay);
    PacketStreamResult result;
    std::thread reader([&] {
        BatchingSink sink(queue);
        result = ReadPcapLines(path, inputs.port, sink);
        sink.Flush();
        queue.Close();
    });
    record.setDateOrder(inputs.systemDateOrder);
    while (std::optional<LineBatch> batch = queue.Pop())
        FeedBatch(path, *batch, record);
    reader.join();
    record.EndStream();
    return !ReportPcapProblem(kCommand, path, inputs.port, result);
}

bool FeedCaptureLines(const std::string& path, const ReportInputs& inputs, CommissioningRecord& record) {
    OldestFirstLines input(path);
    if (!input.error().empty()) {
        PrintError(kCommand, "cannot open " + path + ": " + input.error());
        return false;
    }
    WarnOfJournal(kCommand, path);
    BoundedQueue<LineBatch> queue(LineBatch::kUnderWay);
    std::thread reader([&] {
        LineBatch batch;
        const auto hand = [&] {
            batch.countedFromEnd = input.countedFromEnd();
            batch.formatText = input.formatText();
            queue.Push(std::move(batch));
            batch = LineBatch();
        };
        std::string_view line;
        std::uint64_t number = 0;
        for (bool first = true; input.Next(line, number); first = false) {
            batch.items.push_back({batch.text.size(), line.size(), number, 0, first});
            batch.text += line;
            if (batch.items.size() >= LineBatch::kLines)
                hand();
        }
        hand();
        queue.Close();
    });
    bool first = true;
    while (std::optional<LineBatch> batch = queue.Pop()) {
        if (first)
            record.setDateOrder(batch->formatText.empty() ? inputs.systemDateOrder
                                                          : DateOrderOf(batch->formatText));
        first = false;
        FeedBatch(path, *batch, record);
    }
    reader.join();
    record.EndStream();
    if (input.countedFromEnd())
        record.NumberFromEnd(input.lineCount());
    if (!input.error().empty()) {
        PrintError(kCommand, "cannot read " + path + ": " + input.error());
        return false;
    }
    return true;
}

} // namespace

bool FeedRecord(const ReportInputs& inputs, CommissioningRecord& record) {
    bool ok = true;
    for (const std::string& path : inputs.files) {
        if (IsPacketCaptureFile(path)) {
            ok = FeedPacketCapture(path, inputs, record) && ok;
            continue;
        }
        ok = FeedCaptureLines(path, inputs, record) && ok;
    }
    return ok;
}
