#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// Messages over time by command, the invalid ones apart, in a fixed number of bins that adapt to the
// span while the messages stream in: when a time falls outside the bins, they first slide over empty
// bins, then double their width, merging pairs, until it fits. Memory is the same for a minute or a
// month; times need not come in order.
class Timeline {
public:
    static constexpr std::size_t kBins = 60;
    enum Series : std::size_t { k10, k11, k20, kOther, kSeries };

    struct Bin {
        std::array<std::uint64_t, kSeries> valid{};
        std::array<std::uint64_t, kSeries> invalid{};
        std::uint64_t total() const;
    };

    void Add(std::int64_t seconds, std::size_t series, bool valid);
    // Messages whose line has no readable date and time.
    void AddUntimed() { ++m_untimed; }

    bool empty() const { return !m_origin; }
    std::int64_t origin() const { return m_origin.value_or(0); } // the first bin's start, in seconds
    std::int64_t width() const { return m_width; }               // seconds a bin spans
    const std::array<Bin, kBins>& bins() const { return m_bins; }
    std::int64_t first() const { return m_first; } // the earliest and latest time added
    std::int64_t last() const { return m_last; }
    std::uint64_t untimed() const { return m_untimed; }

private:
    void MakeRoomFor(std::int64_t seconds);
    void Shift(std::ptrdiff_t bins); // moves the bins' contents this many places later (negative: earlier)
    void Double();

    std::optional<std::int64_t> m_origin;
    std::int64_t m_width = 1;
    std::array<Bin, kBins> m_bins{};
    std::int64_t m_first = 0;
    std::int64_t m_last = 0;
    std::uint64_t m_untimed = 0;
};
