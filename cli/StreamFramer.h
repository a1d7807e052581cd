#pragma once

#include "link/TcpReassembler.h"
#include "report/PacketRecords.h"

#include <cstdint>
#include <vector>

// One connection's messages framed by their length bytes as its reads come, and its gaps, each handed
// on once it is known: a message when its last byte comes (or a gap or the end cuts it), a gap when the
// read after it comes (framing goes on there) or the stream ends.
class StreamFramer {
public:
    struct Message {
        const std::uint8_t* bytes = nullptr; // valid during the call only
        std::size_t count = 0;
        std::uint64_t packet = 0; // that carried its first byte
        std::int64_t timeNs = 0;
    };
    class Output {
    public:
        virtual void FramedMessage(const Message& message) = 0;
        // packet and timeNs: where framing goes on, or the last read when nothing follows.
        virtual void FramedGap(const GapRecord& gap, std::uint64_t packet, std::int64_t timeNs) = 0;

    protected:
        ~Output() = default;
    };

    StreamFramer(std::uint64_t firstPacket, std::int64_t firstTimeNs)
        : m_lastPacket(firstPacket), m_lastTimeNs(firstTimeNs) {}

    void Read(const StreamRead& read, const std::uint8_t* bytes, Output& out);
    void Gap(const StreamGap& gap, Output& out);
    void End(Output& out);
    // Framed so far, a cut one included.
    std::uint64_t messages() const { return m_messages; }

private:
    void FlushPending(Output& out, bool ended); // ended: nothing follows the gaps
    void FlushOpen(Output& out);

    std::uint64_t m_messages = 0;
    std::uint64_t m_skip = 0; // bytes of a cut message still to pass over
    // The last message framed runs past the bytes so far: its bytes until it is whole.
    bool m_open = false;
    std::vector<std::uint8_t> m_openBytes;
    std::uint64_t m_openOffset = 0;
    std::uint64_t m_openLength = 0;
    std::uint64_t m_openPacket = 0;
    std::int64_t m_openTimeNs = 0;
    std::vector<GapRecord> m_pending; // gaps waiting for the read after them
    std::uint64_t m_lastPacket;
    std::int64_t m_lastTimeNs;
};
