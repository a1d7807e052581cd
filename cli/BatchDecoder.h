#pragma once

#include "cli/LineDecoder.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
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
    void Add(std::string_view source, std::size_t number, std::string_view line);
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
    static Result DecodeRange(const DecodeOptions& options, const Batch& batch, std::size_t first,
                              std::size_t last, std::string output);
    void HandOnOldest();
    std::string SpareOutput();

    DecodeOptions m_options;
    unsigned m_workers;
    Sink m_sink;
    std::unique_ptr<Batch> m_batch;
    std::deque<std::future<Result>> m_underWay;
    std::vector<std::string> m_spareOutputs; // written out already; their memory is used again
    bool m_allValid = true;
};
