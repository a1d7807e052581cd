#include "cli/PcapDecode.h"

#include "cli/PcapLines.h"

namespace {

constexpr std::string_view kCommand = "decode";
// Messages a batch: a few tasks for the workers; the batches under way stay a small part of the peak.
constexpr std::size_t kBatchMessages = 2048;

// Every record goes through the decoder, so messages and records of all connections leave in the order
// they were made, whichever worker decoded them.
class DecodeSink final : public PcapLineSink {
public:
    DecodeSink(const DecodeOptions& options, BatchDecoder& decoder)
        : m_options(options), m_decoder(decoder) {}

    bool allValid() const { return m_allValid; }

    void Opened(const LineHeader& header) override {
        m_record.clear();
        AppendOpenedRecord(m_record, header, m_options.json);
        m_decoder.AddRecord(m_record);
    }
    void Message(const LineHeader& header, std::string_view prefix, const std::uint8_t* bytes,
                 std::size_t count) override {
        m_decoder.AddBytes(header, prefix, bytes, count);
        if (++m_batched % kBatchMessages == 0)
            m_decoder.Submit();
    }
    void Gap(const LineHeader& header, const GapRecord& gap) override {
        m_record.clear();
        AppendGapRecord(m_record, header, gap, m_options.json);
        m_decoder.AddRecord(m_record);
    }
    void Closed(const LineHeader& header, const LineHeader&, const StreamSummary& stream) override {
        m_record.clear();
        AppendConnectionRecord(m_record, header, stream, m_options.json);
        m_decoder.AddRecord(m_record);
        m_allValid = m_allValid && stream.gaps == 0;
    }

private:
    const DecodeOptions& m_options;
    BatchDecoder& m_decoder;
    std::string m_record;
    std::size_t m_batched = 0;
    bool m_allValid = true;
};

} // namespace

bool DecodePacketCapture(const std::string& path, std::uint16_t port, const DecodeOptions& options,
                         BatchDecoder& decoder, DecodeOutcome& outcome) {
    if (!IsPacketCaptureFile(path))
        return false;
    DecodeSink sink(options, decoder);
    const PacketStreamResult result = ReadPcapLines(path, port, sink);
    decoder.Drain();
    outcome.allValid = outcome.allValid && sink.allValid();
    outcome.inputError = ReportPcapProblem(kCommand, path, port, result) || outcome.inputError;
    return true;
}
