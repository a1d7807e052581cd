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

// A packet capture's messages are framed per connection already: each is a stream of its own, and a
// connection's end brings its summary. Reading the capture (libpcap, reassembly, making the lines) runs
// on a thread of its own and hands the lines over in batches, so that it overlaps the record's work.
struct PcapBatch {
    std::string text; // the lines back to back
    struct Item {
        std::size_t offset = 0;
        std::size_t size = 0;
        std::uint64_t number = 0;
        std::size_t connection = 0; // in connections; kEnd: ends[offset] is a connection's end
    };
    static constexpr std::size_t kEnd = ~std::size_t{0};
    std::vector<Item> items;
    std::vector<std::string> connections; // each run of one connection once
    std::vector<ConnectionEntry> ends;
};

class BatchingSink final : public PcapLineSink {
public:
    static constexpr std::size_t kBatchLines = 4096;

    explicit BatchingSink(BoundedQueue<PcapBatch>& queue) : m_queue(queue) {}

    void Opened(const LineHeader&) override {}
    // The capture line is made here, straight into the batch.
    void Message(const LineHeader& header, std::string_view prefix, const std::uint8_t* bytes,
                 std::size_t count) override {
        if (m_batch.connections.empty() || m_batch.connections.back() != header.connection)
            m_batch.connections.emplace_back(header.connection);
        const std::size_t offset = m_batch.text.size();
        m_batch.text += prefix;
        AppendCaptureBytes(m_batch.text, bytes, count);
        m_batch.items.push_back(
            {offset, m_batch.text.size() - offset, header.number, m_batch.connections.size() - 1});
        if (m_batch.items.size() >= kBatchLines)
            Flush();
    }
    void Gap(const LineHeader&, const GapRecord&) override {}
    void Closed(const LineHeader& header, const LineHeader& opened, const StreamSummary& stream) override {
        m_batch.items.push_back({m_batch.ends.size(), 0, 0, PcapBatch::kEnd});
        m_batch.ends.push_back({std::string(header.source), std::string(header.connection), Prefix(opened),
                                Prefix(header), opened.number, header.number, stream});
    }
    void Flush() {
        m_queue.Push(std::move(m_batch));
        m_batch = PcapBatch();
    }

private:
    BoundedQueue<PcapBatch>& m_queue;
    PcapBatch m_batch;
};

void FeedBatch(const std::string& path, PcapBatch& batch, CommissioningRecord& record) {
    for (const PcapBatch::Item& item : batch.items) {
        if (item.connection == PcapBatch::kEnd) {
            record.EndStream();
            record.AddConnection(std::move(batch.ends[item.offset]));
            continue;
        }
        const std::string_view line = std::string_view(batch.text).substr(item.offset, item.size);
        record.AddLine({path, item.number, line, batch.connections[item.connection], true});
    }
}

// False when the capture could not be read whole.
bool FeedPacketCapture(const std::string& path, const ReportInputs& inputs, CommissioningRecord& record) {
    constexpr std::size_t kBatchesUnderWay = 4;
    BoundedQueue<PcapBatch> queue(kBatchesUnderWay);
    PacketStreamResult result;
    std::thread reader([&] {
        BatchingSink sink(queue);
        result = ReadPcapLines(path, inputs.port, sink);
        sink.Flush();
        queue.Close();
    });
    record.setDateOrder(inputs.systemDateOrder);
    while (std::optional<PcapBatch> batch = queue.Pop())
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
    std::string_view line;
    std::uint64_t number = 0;
    bool first = true;
    while (input.Next(line, number)) {
        if (first)
            record.setDateOrder(input.formatText().empty() ? inputs.systemDateOrder
                                                           : DateOrderOf(input.formatText()));
        record.AddLine({path, number, line, {}, first, input.countedFromEnd()});
        first = false;
    }
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
