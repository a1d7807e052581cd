// Packet captures from any bytes. An odd first byte: the rest is a capture file read through libpcap and
// our link-type, IP and TCP parsing. An even first byte: the rest is a run of segments fed straight to
// the reassembly with a small hold limit, records of flags (1 byte), sequence number (4), payload size
// (1) and payload. Either way every connection's stream must be whole: its reads and gaps tile the
// stream from position 0 with no overlap and no hole, and the byte store holds exactly the reads.
#include "FuzzCheck.h"

#include "link/PacketCapture.h"
#include "link/TcpReassembler.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t kHoldLimit = 64;

void CheckStream(const TcpReassembler& stream) {
    const auto& reads = stream.reads();
    const auto& gaps = stream.gaps();
    std::uint64_t position = 0;
    std::size_t at = 0;
    std::size_t gap = 0;
    for (std::size_t r = 0; r <= reads.size(); ++r) {
        for (; gap < gaps.size() && gaps[gap].beforeRead == r; ++gap) {
            Check(gaps[gap].offset == position, "a gap starts where the stream so far ends");
            Check(gaps[gap].size > 0, "a gap is never empty");
            position += gaps[gap].size;
        }
        if (r == reads.size())
            break;
        Check(reads[r].offset == position, "a read starts where the stream so far ends");
        Check(reads[r].at == at, "reads lie back to back in the byte store");
        Check(reads[r].size > 0, "a read is never empty");
        Check(r == 0 || reads[r].delivered >= reads[r - 1].delivered, "reads are delivered in order");
        position += reads[r].size;
        at += reads[r].size;
    }
    Check(gap == gaps.size(), "every gap lies before a read or at the end");
    Check(at == stream.bytes().size(), "the byte store holds the reads and nothing else");
}

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

void FeedSegments(const std::uint8_t* data, std::size_t size) {
    TcpReassembler stream(kHoldLimit);
    std::uint64_t packet = 0;
    std::uint64_t payloadBytes = 0;
    for (std::size_t i = 0; i + 6 <= size;) {
        TcpSegment segment;
        segment.syn = (data[i] & 0x01) != 0;
        segment.fin = (data[i] & 0x02) != 0;
        segment.rst = (data[i] & 0x04) != 0;
        segment.cut = (data[i] & 0x08) != 0 ? data[i] >> 4 : 0;
        segment.seq = Get32(data + i + 1);
        const std::size_t length = data[i + 5];
        i += 6;
        segment.payload = data + i;
        segment.size = length < size - i ? length : size - i;
        segment.packet = ++packet;
        segment.timeNs = static_cast<std::int64_t>(packet);
        payloadBytes += segment.size;
        i += segment.size;
        stream.Add(segment);
    }
    stream.Finish(packet);
    CheckStream(stream);
    Check(stream.bytes().size() <= payloadBytes, "no byte is delivered that no segment carried");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    if ((data[0] & 1) == 0) {
        FeedSegments(data + 1, size - 1);
        return 0;
    }
    std::vector<std::uint8_t> bytes(data + 1, data + size); // fmemopen wants writable memory
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file)
        return 0;
    const PacketCaptureContents contents = ReadPacketCapture(file, kDefaultLinkPort);
    Check(contents.linkType >= 0 || contents.connections.empty(), "a file that did not open gives nothing");
    for (const TcpConnection& connection : contents.connections) {
        Check(connection.key.serverPort == kDefaultLinkPort, "only segments to the port are taken");
        Check(connection.firstPacket >= 1 && connection.firstPacket <= contents.packets,
              "a connection starts at a packet of the file");
        CheckStream(connection.stream);
    }
    return 0;
}
