#include "report/BatchDecoder.h"

#include "capture/CaptureLine.h"
#include "common/ShortCopy.h"

#include <span>

struct BatchDecoder::Batch {
    std::string source;
    std::vector<std::string> connections; // of a packet capture's lines, each run of one connection once
    std::string text;                     // the lines and records back to back
    struct Line {
        std::size_t offset; // its end is where the next one starts
        std::size_t number;
        std::size_t connection; // in connections; a record when kRecord
        std::size_t prefix; // of a message's bytes (AddBytes), the size of the prefix before them; else kText
        // Of a line made of bytes, where its date and time stand in it.
        std::uint32_t dateAt = 0;
        std::uint32_t dateSize = 0;
        std::uint32_t timeAt = 0;
        std::uint32_t timeSize = 0;
    };
    static constexpr std::size_t kRecord = ~std::size_t{0};
    static constexpr std::size_t kText = ~std::size_t{0};
    std::vector<Line> lines;

    std::string_view Text(std::size_t i) const {
        const std::size_t end = i + 1 < lines.size() ? lines[i + 1].offset : text.size();
        return std::string_view(text).substr(lines[i].offset, end - lines[i].offset);
    }
};

namespace {
// Lines a task: large enough that handing over costs nothing, small enough to share a batch out evenly.
constexpr std::size_t kTaskLines = 512;
// Tasks under way per worker: enough to keep every core busy while the oldest is written out. Each holds
// its report until then, so more would only add to the peak (half a megabyte a task).
constexpr std::size_t kTasksPerWorker = 2;
constexpr std::size_t kReportBytesPerLine = 1024;

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Whether part is a non-empty view into whole (its place there then means something).
bool Within(std::string_view whole, std::string_view part) {
    const auto begin = reinterpret_cast<std::uintptr_t>(whole.data());
    const auto at = reinterpret_cast<std::uintptr_t>(part.data());
    return !part.empty() && at >= begin && at - begin <= whole.size() &&
           part.size() <= whole.size() - (at - begin);
}
} // namespace

BatchDecoder::BatchDecoder(const DecodeOptions& options, unsigned workers, Sink sink)
    : m_options(options), m_sink(std::move(sink)), m_batch(std::make_unique<Batch>()) {
    if (workers == 0)
        m_ownDecoder = std::make_unique<LineDecoder>(options);
    for (unsigned w = 0; w < workers; ++w)
        m_threads.emplace_back([this] { Work(); });
}

BatchDecoder::~BatchDecoder() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

std::string& BatchDecoder::NewLine(std::string_view source, std::size_t number, std::string_view connection) {
    if (!SameShort(m_batch->source, source))
        m_batch->source = source;
    std::vector<std::string>& connections = m_batch->connections;
    if (connections.empty() || !SameShort(connections.back(), connection))
        connections.emplace_back(connection);
    m_batch->lines.push_back({m_batch->text.size(), number, connections.size() - 1, Batch::kText});
    return m_batch->text;
}

void BatchDecoder::Add(std::string_view source, std::size_t number, std::string_view line,
                       std::string_view connection) {
    NewLine(source, number, connection) += line;
}

void BatchDecoder::AddBytes(const LineHeader& header, std::string_view prefix, const std::uint8_t* bytes,
                            std::size_t count) {
    std::string& text = NewLine(header.source, header.number, header.connection);
    Batch::Line& line = m_batch->lines.back();
    line.prefix = prefix.size();
    CaptureLineParts parts{header.date, header.time, {}};
    if (!Within(prefix, parts.date) || !Within(prefix, parts.time))
        parts = SplitCaptureLine(prefix);
    line.dateAt = static_cast<std::uint32_t>(parts.date.data() - prefix.data());
    line.dateSize = static_cast<std::uint32_t>(parts.date.size());
    line.timeAt = static_cast<std::uint32_t>(parts.time.data() - prefix.data());
    line.timeSize = static_cast<std::uint32_t>(parts.time.size());
    text += prefix;
    text.append(reinterpret_cast<const char*>(bytes), count);
}

void BatchDecoder::AddRecord(std::string_view text) {
    m_batch->lines.push_back({m_batch->text.size(), 0, Batch::kRecord, Batch::kText});
    m_batch->text += text;
}

BatchDecoder::Result BatchDecoder::DecodeRange(LineDecoder& decoder, const Batch& batch, std::size_t first,
                                               std::size_t last, std::string output) {
    Result result;
    result.output = std::move(output);
    result.output.clear();
    // Room for a typical report up front: growing a string of megabytes copies it each time.
    result.output.reserve((last - first) * kReportBytesPerLine);
    for (std::size_t i = first; i < last; ++i) {
        const Batch::Line& line = batch.lines[i];
        const std::string_view text = batch.Text(i);
        if (line.connection == Batch::kRecord) {
            result.output += text;
            continue;
        }
        const std::string_view connection = batch.connections[line.connection];
        const bool valid = line.prefix == Batch::kText
                               ? decoder.Decode(batch.source, line.number, text, result.output, connection)
                               : decoder.DecodeBytes({batch.source, line.number, connection,
                                                      text.substr(line.dateAt, line.dateSize),
                                                      text.substr(line.timeAt, line.timeSize)},
                                                     Bytes(text.substr(line.prefix)), result.output);
        result.valid = valid && result.valid;
    }
    return result;
}

void BatchDecoder::Work() {
    LineDecoder decoder(m_options);
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty())
            return;
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task.result.set_value(
            DecodeRange(decoder, *task.batch, task.first, task.last, std::move(task.output)));
    }
}

void BatchDecoder::Submit() {
    if (m_batch->lines.empty())
        return;
    const Batch& batch = *m_batch;
    m_batchesUnderWay.push_back(std::move(m_batch));
    m_batch = SpareBatch();
    if (m_batch->text.capacity() == 0) {
        // The next batch is about as large: room for it at once rather than by doubling and copying.
        m_batch->text.reserve(batch.text.capacity());
        m_batch->lines.reserve(batch.lines.capacity());
    }
    const std::size_t count = batch.lines.size();
    if (m_threads.empty()) {
        std::promise<Result> result;
        m_underWay.push_back({result.get_future(), true});
        result.set_value(DecodeRange(*m_ownDecoder, batch, 0, count, SpareOutput()));
        HandOnOldest();
        return;
    }
    for (std::size_t first = 0; first < count; first += kTaskLines) {
        const std::size_t last = std::min(count, first + kTaskLines);
        Task task{&batch, first, last, SpareOutput(), {}};
        m_underWay.push_back({task.result.get_future(), last == count});
        {
            const std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_wake.notify_one();
        while (m_underWay.size() > kTasksPerWorker * m_threads.size())
            HandOnOldest();
    }
}

void BatchDecoder::HandOnOldest() {
    UnderWay oldest = std::move(m_underWay.front());
    m_underWay.pop_front();
    Result result = oldest.result.get();
    m_allValid = m_allValid && result.valid;
    m_sink(result.output);
    m_spareOutputs.push_back(std::move(result.output));
    // Every task of the batch has given its result, so no worker reads it any more.
    if (oldest.lastOfBatch) {
        m_spareBatches.push_back(std::move(m_batchesUnderWay.front()));
        m_batchesUnderWay.pop_front();
    }
}

std::unique_ptr<BatchDecoder::Batch> BatchDecoder::SpareBatch() {
    if (m_spareBatches.empty())
        return std::make_unique<Batch>();
    std::unique_ptr<Batch> batch = std::move(m_spareBatches.back());
    m_spareBatches.pop_back();
    batch->connections.clear();
    batch->text.clear();
    batch->lines.clear();
    return batch;
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
