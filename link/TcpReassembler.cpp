#include "link/TcpReassembler.h"

#include <algorithm>

namespace {

// Gaps a listened stream keeps to tell a late byte from a repeated one: a late segment comes soon after
// its place was given up, never thousands of gaps later.
constexpr std::size_t kKeptGaps = 4096;

// Bytes of [start, end) that fall into the gaps, which are in stream order and do not overlap.
std::uint64_t BytesInGaps(const std::vector<StreamGap>& gaps, std::uint64_t start, std::uint64_t end) {
    auto it =
        std::upper_bound(gaps.begin(), gaps.end(), start,
                         [](std::uint64_t position, const StreamGap& gap) { return position < gap.offset; });
    if (it != gaps.begin())
        --it;
    std::uint64_t bytes = 0;
    for (; it != gaps.end() && it->offset < end; ++it) {
        const std::uint64_t from = std::max(start, it->offset);
        const std::uint64_t to = std::min(end, it->offset + it->size);
        if (to > from)
            bytes += to - from;
    }
    return bytes;
}

} // namespace

void TcpReassembler::Add(const TcpSegment& segment) {
    m_packet = segment.packet;
    m_rst = m_rst || segment.rst;
    m_fin = m_fin || segment.fin;
    // A SYN takes one sequence number of its own; data it carries starts after it.
    const std::uint32_t dataSeq = segment.seq + (segment.syn ? 1U : 0U);
    if (segment.syn && !m_started) {
        m_started = true;
        m_syn = true;
        m_base = dataSeq;
    }
    std::size_t size = segment.size;
    std::size_t cut = segment.cut;
    if (!m_started && size + cut > 0) {
        m_started = true;
        m_base = dataSeq;
    }
    if (segment.fin && m_started) {
        m_finKnown = true;
        m_finEnd = PositionOf(dataSeq + static_cast<std::uint32_t>(size + cut));
    }
    if (size + cut == 0)
        return;
    // Sequence numbers wrap at 2^32: a segment lies within 2 GB either side of the next byte expected.
    const auto delta = static_cast<std::int32_t>(dataSeq - (m_base + static_cast<std::uint32_t>(m_next)));
    std::int64_t signedStart = static_cast<std::int64_t>(m_next) + delta;
    const std::uint8_t* data = segment.payload;
    if (signedStart < 0) {
        // Before the first byte of the stream: the SYN was not captured and an earlier segment came late.
        const auto before = static_cast<std::uint64_t>(-signedStart);
        const std::size_t dropData = static_cast<std::size_t>(std::min<std::uint64_t>(before, size));
        const std::size_t dropCut = static_cast<std::size_t>(std::min<std::uint64_t>(before - dropData, cut));
        m_lateBytes += dropData + dropCut;
        data += dropData;
        size -= dropData;
        cut -= dropCut;
        signedStart = 0;
        if (size + cut == 0)
            return;
    }
    const auto start = static_cast<std::uint64_t>(signedStart);
    const std::uint64_t end = start + size + cut;
    if (end <= m_next) {
        const std::uint64_t late = BytesInGaps(m_gaps, start, end);
        if (late > 0)
            m_lateBytes += late;
        else
            ++m_repeated;
        return;
    }
    if (start > m_next) {
        Hold(start, data, size, cut, segment.timeNs, segment.packet);
        return;
    }
    Deliver(start, data, size, cut, segment.timeNs, segment.packet);
    DeliverHeld(true);
}

void TcpReassembler::Finish(std::uint64_t lastPacket) {
    m_packet = lastPacket;
    while (!m_held.empty())
        GiveUpFirstHole();
}

std::uint64_t TcpReassembler::PositionOf(std::uint32_t seq) const {
    const auto delta = static_cast<std::int32_t>(seq - (m_base + static_cast<std::uint32_t>(m_next)));
    const std::int64_t position = static_cast<std::int64_t>(m_next) + delta;
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

void TcpReassembler::AddGap(std::uint64_t offset, std::uint64_t size) {
    const StreamGap gap{offset, size, m_readCount};
    ++m_gapCount;
    m_missing += size;
    m_gaps.push_back(gap);
    if (m_listener) {
        if (m_gaps.size() > kKeptGaps)
            m_gaps.erase(m_gaps.begin(), m_gaps.begin() + kKeptGaps / 2);
        m_listener->Missing(gap);
    }
}

bool TcpReassembler::Deliver(std::uint64_t start, const std::uint8_t* data, std::size_t size, std::size_t cut,
                             std::int64_t timeNs, std::uint64_t packet) {
    bool delivered = false;
    const std::uint64_t end = start + size;
    if (end > m_next) {
        const auto skip = static_cast<std::size_t>(m_next - start);
        const std::size_t count = size - skip;
        const StreamRead read{m_next, m_listener ? 0 : m_bytes.size(), count, timeNs, packet, m_packet};
        m_next = end;
        ++m_readCount;
        if (m_listener) {
            m_listener->Delivered(read, data + skip);
        } else {
            m_reads.push_back(read);
            m_bytes.insert(m_bytes.end(), data + skip, data + size);
        }
        delivered = true;
    }
    // Bytes the capture cut off at its snap length were received all the same.
    if (cut > 0 && end + cut > m_next) {
        const std::uint64_t from = m_next;
        m_next = end + cut;
        AddGap(from, end + cut - from);
        delivered = true;
    }
    return delivered;
}

void TcpReassembler::DeliverHeld(bool filled) {
    while (!m_held.empty() && m_held.begin()->first <= m_next) {
        auto node = m_held.extract(m_held.begin());
        Held& held = node.mapped();
        m_heldBytes -= held.data.size();
        if (!Deliver(node.key(), held.data.data(), held.data.size(), held.cut, held.timeNs, held.packet))
            ++m_repeated;
        else if (filled)
            ++m_reordered;
    }
}

void TcpReassembler::Hold(std::uint64_t start, const std::uint8_t* data, std::size_t size, std::size_t cut,
                          std::int64_t timeNs, std::uint64_t packet) {
    auto [it, added] = m_held.try_emplace(start);
    if (!added) {
        // The same start held twice: a retransmission. The longer one covers the other.
        if (it->second.data.size() + it->second.cut >= size + cut) {
            ++m_repeated;
            return;
        }
        m_heldBytes -= it->second.data.size();
        ++m_repeated;
    }
    it->second.data.assign(data, data + size);
    it->second.cut = cut;
    it->second.timeNs = timeNs;
    it->second.packet = packet;
    m_heldBytes += size;
    while (m_heldBytes > m_holdLimit)
        GiveUpFirstHole();
}

void TcpReassembler::GiveUpFirstHole() {
    const std::uint64_t resume = m_held.begin()->first;
    if (resume > m_next) {
        const std::uint64_t from = m_next;
        m_next = resume;
        AddGap(from, resume - from);
    }
    DeliverHeld(false);
}
