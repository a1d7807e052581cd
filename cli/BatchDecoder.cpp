#include "cli/BatchDecoder.h"

struct BatchDecoder::Batch {
    std::string source;
    std::string text; // the lines back to back
    struct Line {
        std::size_t offset;
        std::size_t size;
        std::size_t number;
    };
    std::vector<Line> lines;
};

namespace {
// Batches under way per worker: enough to keep every core busy while the oldest is written out.
constexpr std::size_t kBatchesPerWorker = 2;
constexpr std::size_t kReportBytesPerLine = 1024;
} // namespace

BatchDecoder::BatchDecoder(const DecodeOptions& options, unsigned workers, Sink sink)
    : m_options(options), m_workers(workers), m_sink(std::move(sink)), m_batch(std::make_unique<Batch>()) {}

BatchDecoder::~BatchDecoder() = default;

void BatchDecoder::Add(std::string_view source, std::size_t number, std::string_view line) {
    if (m_batch->lines.empty())
        m_batch->source = source;
    m_batch->lines.push_back({m_batch->text.size(), line.size(), number});
    m_batch->text += line;
}

BatchDecoder::Result BatchDecoder::DecodeRange(const DecodeOptions& options, const Batch& batch,
                                               std::size_t first, std::size_t last, std::string output) {
    LineDecoder decoder(options);
    Result result;
    result.output = std::move(output);
    result.output.clear();
    // Room for a typical report up front: growing a string of megabytes copies it each time.
    result.output.reserve((last - first) * kReportBytesPerLine);
    for (std::size_t i = first; i < last; ++i) {
        const Batch::Line& line = batch.lines[i];
        result.valid =
            decoder.Decode(batch.source, line.number,
                           std::string_view(batch.text).substr(line.offset, line.size), result.output) &&
            result.valid;
    }
    return result;
}

void BatchDecoder::Submit() {
    if (m_batch->lines.empty())
        return;
    std::shared_ptr<const Batch> batch = std::move(m_batch);
    m_batch = std::make_unique<Batch>();
    const std::size_t count = batch->lines.size();
    if (m_workers == 0) {
        m_underWay.push_back(std::async(std::launch::deferred, [this, batch, count] {
            return DecodeRange(m_options, *batch, 0, count, SpareOutput());
        }));
        HandOnOldest();
        return;
    }
    // One share of the batch per worker, handed on in order.
    for (unsigned w = 0; w < m_workers; ++w) {
        const std::size_t first = count * w / m_workers;
        const std::size_t last = count * (w + 1) / m_workers;
        if (first == last)
            continue;
        m_underWay.push_back(std::async(
            std::launch::async, [options = m_options, batch, first, last, output = SpareOutput()]() mutable {
                return DecodeRange(options, *batch, first, last, std::move(output));
            }));
    }
    while (m_underWay.size() > kBatchesPerWorker * m_workers)
        HandOnOldest();
}

void BatchDecoder::HandOnOldest() {
    Result result = m_underWay.front().get();
    m_underWay.pop_front();
    m_allValid = m_allValid && result.valid;
    m_sink(result.output);
    m_spareOutputs.push_back(std::move(result.output));
}

std::string BatchDecoder::SpareOutput() {
    if (m_spareOutputs.empty())
        return {};
    std::string output = std::move(m_spareOutputs.back());
    m_spareOutputs.pop_back();
    return output;
}

void BatchDecoder::Drain() {
    Submit();
    while (!m_underWay.empty())
        HandOnOldest();
}
