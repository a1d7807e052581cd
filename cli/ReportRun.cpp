#include "cli/ReportRun.h"

#include "cli/CaptureInput.h"
#include "cli/CommandLine.h"
#include "cli/OldestFirstLines.h"
#include "cli/PcapLines.h"

namespace {

constexpr std::string_view kCommand = "report";

std::string Prefix(const LineHeader& header) {
    return "[" + std::string(header.date) + "] [" + std::string(header.time) + "]";
}

// A packet capture's messages are framed per connection already: each is a stream of its own, and a
// connection's end brings its summary.
class RecordSink final : public PcapLineSink {
public:
    explicit RecordSink(CommissioningRecord& record) : m_record(record) {}

    void Opened(const LineHeader&) override {}
    void Message(const LineHeader& header, std::string_view line) override {
        m_record.AddLine({header.source, header.number, line, header.connection, true});
    }
    void Gap(const LineHeader&, const GapRecord&) override {}
    void Closed(const LineHeader& header, const LineHeader& opened, const StreamSummary& stream) override {
        m_record.EndStream();
        m_record.AddConnection({std::string(header.source), std::string(header.connection), Prefix(opened),
                                Prefix(header), opened.number, header.number, stream});
    }

private:
    CommissioningRecord& m_record;
};

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
            record.setDateOrder(inputs.systemDateOrder);
            RecordSink sink(record);
            const PacketStreamResult result = ReadPcapLines(path, inputs.port, sink);
            record.EndStream();
            ok = !ReportPcapProblem(kCommand, path, inputs.port, result) && ok;
            continue;
        }
        ok = FeedCaptureLines(path, inputs, record) && ok;
    }
    return ok;
}
