#pragma once

#include "report/LineDecoder.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// Decodes capture lines in batches on every core and hands the reports on in input order. Each worker
// has its own decode table: what a line shows never depends on the line before it, because every
// decoder sets each label it shows.
class BatchDecoder {
public:
    using Sink = std::function<void(const std::string&)>;

    // workers 0 decodes on the calling thread.
    BatchDecoder(const DecodeOptions& options, unsigned workers, Sink sink);
    ~BatchDecoder();
    BatchDecoder(const BatchDecoder&) = delete;
    BatchDecoder& operator=(const BatchDecoder&) = delete;

    // Copies the line into the current batch; the source must stay the same until Submit.
    void Add(std::string_view source, std::size_t number, std::string_view line,
             std::string_view connection = {});
    // The same for a message's bytes, reported as its capture line, the prefix and the bytes in hex,
    // would be; the batch keeps the prefix and the bytes as they are. The header's date and time are
    // best views into prefix, as SplitCaptureLine reads it: then the prefix is not read again.
    void AddBytes(const LineHeader& header, std::string_view prefix, const std::uint8_t* bytes,
                  std::size_t count);
    // A record written as it is, in its place among the lines' reports.
    void AddRecord(std::string_view text);
    // Starts decoding the current batch; waits for the oldest batches when too many are under way.
    void Submit();
    // Waits for every batch and hands on its report.
    void Drain();

    bool allValid() const { return m_allValid; }

private:
    struct Batch;
    struct Result {
        std::string output;
        bool valid = true;
    };
    // A run of lines of one batch, taken by whichever worker is free: on a machine shared with other
    // work, a core that falls behind holds up only its own small share.
    struct Task {
        const Batch* batch = nullptr;
        std::size_t first = 0;
        std::size_t last = 0;
        std::string output;
        std::promise<Result> result;
    };
    struct UnderWay {
        std::future<Result> result;
        bool lastOfBatch = false; // its batch is read to the end once this is handed on
    };
    std::string& NewLine(std::string_view source, std::size_t number, std::string_view connection);
    static Result DecodeRange(LineDecoder& decoder, const Batch& batch, std::size_t first, std::size_t last,
                              std::string output);
    void Work();
    void HandOnOldest();
    std::string SpareOutput();
    std::unique_ptr<Batch> SpareBatch();

    DecodeOptions m_options;
    Sink m_sink;
    std::unique_ptr<Batch> m_batch;
    std::deque<std::unique_ptr<Batch>> m_batchesUnderWay; // in input order
    std::deque<UnderWay> m_underWay;                      // in input order
    // Batches read and outputs written out already: their memory, touched once, is used again.
    std::vector<std::unique_ptr<Batch>> m_spareBatches;
    std::vector<std::string> m_spareOutputs;
    bool m_allValid = true;

    std::unique_ptr<LineDecoder> m_ownDecoder; // without workers
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
