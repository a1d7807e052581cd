#include "cli/StreamFramer.h"

#include "decode/MessageFormat.h"

#include <algorithm>

void StreamFramer::FlushPending(Output& out, bool ended) {
    for (GapRecord& gap : m_pending) {
        if (ended)
            gap.resume = Resume::End;
        out.FramedGap(gap, m_lastPacket, m_lastTimeNs);
    }
    m_pending.clear();
}

void StreamFramer::FlushOpen(Output& out) {
    if (!m_open)
        return;
    out.FramedMessage({m_openBytes.data(), m_openBytes.size(), m_openPacket, m_openTimeNs});
    m_open = false;
    m_openBytes.clear();
}

void StreamFramer::Read(const StreamRead& read, const std::uint8_t* bytes, Output& out) {
    m_lastPacket = read.packet;
    m_lastTimeNs = read.timeNs;
    FlushPending(out, false);
    const std::size_t size = read.size;
    std::size_t pos = static_cast<std::size_t>(std::min<std::uint64_t>(m_skip, size));
    m_skip -= pos;
    if (m_open) {
        const auto take =
            static_cast<std::size_t>(std::min<std::uint64_t>(m_openLength - m_openBytes.size(), size - pos));
        m_openBytes.insert(m_openBytes.end(), bytes + pos, bytes + pos + take);
        pos += take;
        if (m_openBytes.size() == m_openLength)
            FlushOpen(out);
    }
    while (pos < size) {
        const std::uint64_t length = MessageFormat::MessageSize(bytes[pos]);
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - pos));
        ++m_messages;
        if (count == length) {
            out.FramedMessage({bytes + pos, count, read.packet, read.timeNs});
        } else {
            m_open = true;
            m_openBytes.assign(bytes + pos, bytes + pos + count);
            m_openOffset = read.offset + pos;
            m_openLength = length;
            m_openPacket = read.packet;
            m_openTimeNs = read.timeNs;
        }
        pos += count;
    }
}

void StreamFramer::Gap(const StreamGap& gap, Output& out) {
    GapRecord record{gap.offset, gap.size};
    const bool inMessage = m_open || m_skip > 0;
    const std::uint64_t toMessageEnd = m_open ? m_openLength - m_openBytes.size() : m_skip;
    record.cutsMessage = inMessage;
    record.messageOffset = m_openOffset;
    record.messageLength = m_openLength;
    // A message the gap cuts is decoded as far as it goes, never glued to bytes after the gap.
    FlushOpen(out);
    if (inMessage && toMessageEnd >= gap.size) {
        m_skip = toMessageEnd - gap.size;
        record.resume = Resume::MessageEnd;
        record.passedOver = m_skip;
    } else {
        m_skip = 0;
        record.resume = Resume::NextSegment;
    }
    m_pending.push_back(record);
}

void StreamFramer::End(Output& out) {
    FlushOpen(out);
    FlushPending(out, true);
}
