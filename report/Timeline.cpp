#include "report/Timeline.h"

#include <algorithm>
#include <numeric>

std::uint64_t Timeline::Bin::total() const {
    return std::accumulate(valid.begin(), valid.end(), std::uint64_t{0}) +
           std::accumulate(invalid.begin(), invalid.end(), std::uint64_t{0});
}

void Timeline::Add(std::int64_t seconds, std::size_t series, bool valid) {
    if (!m_origin) {
        m_origin = seconds;
        m_first = m_last = seconds;
    }
    m_first = std::min(m_first, seconds);
    m_last = std::max(m_last, seconds);
    MakeRoomFor(seconds);
    Bin& bin = m_bins[static_cast<std::size_t>((seconds - *m_origin) / m_width)];
    ++(valid ? bin.valid : bin.invalid)[series];
}

void Timeline::MakeRoomFor(std::int64_t seconds) {
    constexpr auto kCount = static_cast<std::int64_t>(kBins);
    for (;;) {
        const std::int64_t origin = *m_origin;
        if (seconds >= origin && seconds < origin + kCount * m_width)
            return;
        const auto used = [this](const Bin& bin) { return bin.total() > 0; };
        const auto firstUsed = std::find_if(m_bins.begin(), m_bins.end(), used) - m_bins.begin();
        const auto lastUsed = m_bins.rend() - std::find_if(m_bins.rbegin(), m_bins.rend(), used) - 1;
        if (seconds < origin) {
            const std::int64_t needed = (origin - seconds + m_width - 1) / m_width;
            if (lastUsed + needed < kCount) {
                Shift(static_cast<std::ptrdiff_t>(needed));
                m_origin = origin - needed * m_width;
                continue;
            }
        } else {
            const std::int64_t needed = (seconds - origin) / m_width - kCount + 1;
            if (firstUsed >= needed) {
                Shift(-static_cast<std::ptrdiff_t>(needed));
                m_origin = origin + needed * m_width;
                continue;
            }
        }
        Double();
    }
}

void Timeline::Shift(std::ptrdiff_t bins) {
    if (bins > 0)
        std::shift_right(m_bins.begin(), m_bins.end(), bins);
    else
        std::shift_left(m_bins.begin(), m_bins.end(), -bins);
    // The places the contents left stay as they were after a shift: clear them.
    const auto cleared = static_cast<std::size_t>(bins > 0 ? bins : -bins);
    for (std::size_t i = 0; i < cleared && i < kBins; ++i)
        m_bins[bins > 0 ? i : kBins - 1 - i] = Bin();
}

void Timeline::Double() {
    // Each pair of bins becomes one of twice the width; the origin stays.
    for (std::size_t i = 0; i < kBins / 2; ++i) {
        Bin merged = m_bins[2 * i];
        for (std::size_t s = 0; s < kSeries; ++s) {
            merged.valid[s] += m_bins[2 * i + 1].valid[s];
            merged.invalid[s] += m_bins[2 * i + 1].invalid[s];
        }
        m_bins[i] = merged;
    }
    for (std::size_t i = kBins / 2; i < kBins; ++i)
        m_bins[i] = Bin();
    m_width *= 2;
}
