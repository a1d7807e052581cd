#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// One direction of a TCP connection put back in order, as the receiving socket would have read it. A
// capture taken on a switch port sees what the wire carried: retransmissions, segments out of order,
// and now and then a segment it missed. Nothing here guesses what a missing segment held.

// One TCP segment as the capture shows it.
struct TcpSegment {
    std::uint32_t seq = 0;
    bool syn = false;
    bool fin = false;
    bool rst = false;
    const std::uint8_t* payload = nullptr;
    std::size_t size = 0;     // payload bytes in the capture
    std::size_t cut = 0;      // payload bytes the packet carried beyond the capture's snap length
    std::int64_t timeNs = 0;  // since the epoch
    std::uint64_t packet = 0; // its number in the capture file, from 1
};

// The new bytes of one segment.
struct StreamRead {
    std::uint64_t offset = 0; // stream position of its first byte
    std::size_t at = 0;       // index of its first byte in TcpReassembler::bytes()
    std::size_t size = 0;
    std::int64_t timeNs = 0;
    std::uint64_t packet = 0;    // the packet that carried it
    std::uint64_t delivered = 0; // the packet after which it could be read: orders reads across connections
};

// Bytes the capture does not hold: the receiver had them, the file has not.
struct StreamGap {
    std::uint64_t offset = 0;   // stream position of the first missing byte
    std::uint64_t size = 0;     // bytes missing
    std::size_t beforeRead = 0; // index of the first read after it; reads().size() when nothing follows
};

// Takes a stream's reads and gaps as they happen, for a reader that does not keep them.
class StreamListener {
public:
    // bytes: the read's size bytes, valid during the call only.
    virtual void Delivered(const StreamRead& read, const std::uint8_t* bytes) = 0;
    virtual void Missing(const StreamGap& gap) = 0;

protected:
    ~StreamListener() = default;
};

class TcpReassembler {
public:
    // Bytes held out of order before the missing ones are given up as a gap.
    static constexpr std::size_t kDefaultHoldLimit = std::size_t{4} << 20;

    explicit TcpReassembler(std::size_t holdLimit = kDefaultHoldLimit) : m_holdLimit(holdLimit) {}

    // From now on reads and gaps go to the listener as they happen and the stream keeps no bytes and no
    // reads (a read's `at` is 0), only the latest gaps it needs to tell a late byte from a repeated one.
    void Listen(StreamListener* listener) { m_listener = listener; }

    // Segments in capture order.
    void Add(const TcpSegment& segment);
    // The end of the capture: what is still held is delivered, each hole before it reported as a gap.
    void Finish(std::uint64_t lastPacket);

    // Stream position 0 is the byte after the SYN, or the first byte seen when the SYN was not captured.
    const std::vector<StreamRead>& reads() const { return m_reads; }
    const std::vector<StreamGap>& gaps() const { return m_gaps; }
    // Every delivered byte in stream order; the gaps are not in it.
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

    bool synSeen() const { return m_syn; }
    bool finSeen() const { return m_fin; }
    bool rstSeen() const { return m_rst; }
    // Segments that carried no new byte: retransmissions and duplicates.
    std::uint64_t repeatedSegments() const { return m_repeated; }
    // Segments that arrived ahead of one sent before them, and were put back in order when it came.
    std::uint64_t reorderedSegments() const { return m_reordered; }
    // Bytes that came after their place was given up as a gap (or before the capture's first byte).
    std::uint64_t lateBytes() const { return m_lateBytes; }
    std::uint64_t missingBytes() const { return m_missing; }
    std::uint64_t gapCount() const { return m_gapCount; }
    // Bytes delivered so far, whether kept or listened to.
    std::uint64_t deliveredBytes() const { return m_next - m_missing; }
    // The connection is over: reset, or closed by a FIN with every byte before it delivered.
    bool Complete() const { return m_rst || (m_finKnown && m_next >= m_finEnd && m_held.empty()); }

private:
    struct Held {
        std::vector<std::uint8_t> data;
        std::size_t cut = 0;
        std::int64_t timeNs = 0;
        std::uint64_t packet = 0;
    };

    // False when every byte was delivered before.
    bool Deliver(std::uint64_t start, const std::uint8_t* data, std::size_t size, std::size_t cut,
                 std::int64_t timeNs, std::uint64_t packet);
    // filled: the missing bytes before the held ones arrived, rather than being given up as a gap.
    void DeliverHeld(bool filled);
    void Hold(std::uint64_t start, const std::uint8_t* data, std::size_t size, std::size_t cut,
              std::int64_t timeNs, std::uint64_t packet);
    void GiveUpFirstHole();
    void AddGap(std::uint64_t offset, std::uint64_t size);
    std::uint64_t PositionOf(std::uint32_t seq) const;

    std::size_t m_holdLimit;
    bool m_started = false;
    bool m_syn = false;
    bool m_fin = false;
    bool m_rst = false;
    std::uint32_t m_base = 0; // sequence number of stream position 0
    std::uint64_t m_next = 0; // stream position of the next byte expected
    std::uint64_t m_packet = 0;
    std::map<std::uint64_t, Held> m_held; // by stream position
    std::size_t m_heldBytes = 0;
    std::uint64_t m_repeated = 0;
    std::uint64_t m_reordered = 0;
    std::uint64_t m_lateBytes = 0;
    std::uint64_t m_missing = 0;
    std::uint64_t m_gapCount = 0;
    std::size_t m_readCount = 0;
    bool m_finKnown = false;
    std::uint64_t m_finEnd = 0; // stream position of the FIN
    StreamListener* m_listener = nullptr;
    std::vector<StreamRead> m_reads;
    std::vector<StreamGap> m_gaps;
    std::vector<std::uint8_t> m_bytes;
};
