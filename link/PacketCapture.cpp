#include "link/PacketCapture.h"
#include "link/ConnectionTable.h"
#include "link/LocalClock.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <stdio_ext.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace {

// What a capture file starts with: pcap in either byte order, with micro- or nanosecond times, and
// pcapng's section header block (its type reads the same in both byte orders).
constexpr std::array<std::array<std::uint8_t, 4>, 5> kMagics = {{
    {0xA1, 0xB2, 0xC3, 0xD4},
    {0xD4, 0xC3, 0xB2, 0xA1},
    {0xA1, 0xB2, 0x3C, 0x4D},
    {0x4D, 0x3C, 0xB2, 0xA1},
    {0x0A, 0x0D, 0x0D, 0x0A},
}};

constexpr std::uint16_t kEtherIpv4 = 0x0800;
constexpr std::uint16_t kEtherIpv6 = 0x86DD;
constexpr std::uint16_t kEtherVlan = 0x8100;
constexpr std::uint16_t kEtherQinQ = 0x88A8;
constexpr std::uint16_t kEtherVlanOld = 0x9100;
constexpr std::uint8_t kIpTcp = 6;
constexpr std::size_t kEthernetHeader = 14;
constexpr std::size_t kVlanTag = 4;
constexpr std::size_t kSllHeader = 16;
constexpr std::size_t kSll2Header = 20;
constexpr std::size_t kIpv4Header = 20;
constexpr std::size_t kIpv6Header = 40;
constexpr std::size_t kTcpHeader = 20;

std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

bool LinkTypeRead(int linkType) {
    switch (linkType) {
    case DLT_EN10MB:
    case DLT_LINUX_SLL:
    case DLT_LINUX_SLL2:
    case DLT_RAW:
    case DLT_IPV4:
    case DLT_IPV6:
        return true;
    default:
        return false;
    }
}

// One packet of the capture as far as it is a TCP segment. `length` is what the packet carried from
// `data` on, `captured` what the file holds of it.
class PacketParser {
public:
    explicit PacketParser(std::uint16_t port) : m_port(port) {}

    // False when the packet is not a TCP segment to the port.
    bool Parse(int linkType, const std::uint8_t* data, std::size_t captured, std::size_t length,
               ConnectionKey& key, TcpSegment& segment) const {
        std::size_t offset = 0;
        std::uint16_t type = 0;
        switch (linkType) {
        case DLT_EN10MB:
            if (captured < kEthernetHeader)
                return false;
            offset = kEthernetHeader;
            type = Get16(data + 12);
            // A switch's mirror port keeps the VLAN tags.
            while ((type == kEtherVlan || type == kEtherQinQ || type == kEtherVlanOld) &&
                   captured >= offset + kVlanTag) {
                type = Get16(data + offset + 2);
                offset += kVlanTag;
            }
            break;
        case DLT_LINUX_SLL:
            if (captured < kSllHeader)
                return false;
            offset = kSllHeader;
            type = Get16(data + 14);
            break;
        case DLT_LINUX_SLL2:
            if (captured < kSll2Header)
                return false;
            offset = kSll2Header;
            type = Get16(data);
            break;
        default: // raw IP: the version tells
            if (captured < 1)
                return false;
            type = (data[0] >> 4) == 6 ? kEtherIpv6 : kEtherIpv4;
            break;
        }
        if (captured < offset || length < offset)
            return false;
        if (type == kEtherIpv4)
            return ParseIpv4(data + offset, captured - offset, length - offset, key, segment);
        if (type == kEtherIpv6)
            return ParseIpv6(data + offset, captured - offset, length - offset, key, segment);
        return false;
    }

private:
    bool ParseIpv4(const std::uint8_t* ip, std::size_t captured, std::size_t length, ConnectionKey& key,
                   TcpSegment& segment) const {
        if (captured < kIpv4Header || (ip[0] >> 4) != 4 || ip[9] != kIpTcp)
            return false;
        const std::size_t header = static_cast<std::size_t>(ip[0] & 0x0F) * 4;
        // Fragments are not put together again: TCP on this link never needs them.
        const bool fragment = (Get16(ip + 6) & 0x3FFF) != 0;
        if (header < kIpv4Header || fragment)
            return false;
        key.client = {};
        key.server = {};
        std::memcpy(key.client.bytes.data(), ip + 12, 4);
        std::memcpy(key.server.bytes.data(), ip + 16, 4);
        // A sender's own capture of a segment its card splits up shows a total length of 0.
        const std::size_t total = Get16(ip + 2);
        return ParseTcp(ip, header, total != 0 ? std::min(total, length) : length, captured, key, segment);
    }

    bool ParseIpv6(const std::uint8_t* ip, std::size_t captured, std::size_t length, ConnectionKey& key,
                   TcpSegment& segment) const {
        if (captured < kIpv6Header || (ip[0] >> 4) != 6)
            return false;
        key.client = {{}, true};
        key.server = {{}, true};
        std::memcpy(key.client.bytes.data(), ip + 8, 16);
        std::memcpy(key.server.bytes.data(), ip + 24, 16);
        std::uint8_t next = ip[6];
        std::size_t header = kIpv6Header;
        // Extension headers before TCP; a fragment header ends the search like an IPv4 fragment does.
        for (;;) {
            if (next == kIpTcp)
                break;
            if (next != 0 && next != 43 && next != 60 && next != 51)
                return false;
            if (captured < header + 2)
                return false;
            const std::size_t size = next == 51 ? (static_cast<std::size_t>(ip[header + 1]) + 2) * 4
                                                : (static_cast<std::size_t>(ip[header + 1]) + 1) * 8;
            next = ip[header];
            header += size;
        }
        const std::size_t payload = Get16(ip + 4);
        return ParseTcp(ip, header, payload != 0 ? std::min(kIpv6Header + payload, length) : length, captured,
                        key, segment);
    }

    // `total` is the IP packet's length, `captured` what the file holds of it.
    bool ParseTcp(const std::uint8_t* ip, std::size_t ipHeader, std::size_t total, std::size_t captured,
                  ConnectionKey& key, TcpSegment& segment) const {
        if (captured < ipHeader + kTcpHeader || total < ipHeader + kTcpHeader)
            return false;
        const std::uint8_t* tcp = ip + ipHeader;
        key.clientPort = Get16(tcp);
        key.serverPort = Get16(tcp + 2);
        if (key.serverPort != m_port)
            return false;
        const std::size_t header = static_cast<std::size_t>(tcp[12] >> 4) * 4;
        const std::size_t end = ipHeader + header;
        if (header < kTcpHeader || total < end)
            return false;
        segment.seq = Get32(tcp + 4);
        segment.fin = (tcp[13] & 0x01) != 0;
        segment.syn = (tcp[13] & 0x02) != 0;
        segment.rst = (tcp[13] & 0x04) != 0;
        const std::size_t held = std::min(total, captured);
        segment.payload = held > end ? ip + end : nullptr;
        segment.size = held > end ? held - end : 0;
        segment.cut = total - std::max(held, end);
        return true;
    }

    std::uint16_t m_port;
};

// A pcapng time is 64 bits of any unit: a damaged one can lie beyond what nanoseconds since 1970 hold.
std::int64_t TimeNs(const timeval& time) {
    constexpr std::int64_t kMostSeconds = std::numeric_limits<std::int64_t>::max() / kNsPerSecond - 1;
    const std::int64_t seconds = std::clamp<std::int64_t>(time.tv_sec, 0, kMostSeconds);
    return seconds * kNsPerSecond + std::clamp<std::int64_t>(time.tv_usec, 0, kNsPerSecond - 1);
}

std::string LinkTypeError(int linkType) {
    const char* name = pcap_datalink_val_to_name(linkType);
    const char* description = pcap_datalink_val_to_description(linkType);
    std::string text = "the capture's link type is ";
    text += name ? name : std::to_string(linkType);
    if (description) {
        text += " (";
        text += description;
        text += ')';
    }
    text += ", not Ethernet, Linux cooked (SLL, SLL2) or raw IP";
    return text;
}

PacketStreamResult ReadPackets(pcap_t* pcap, std::uint16_t port, PacketStreamSink& sink) {
    PacketStreamResult result;
    result.linkType = pcap_datalink(pcap);
    if (!LinkTypeRead(result.linkType)) {
        result.error = LinkTypeError(result.linkType);
        return result;
    }
    const PacketParser parser(port);
    ConnectionTable table(sink);
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    int status = 0;
    ConnectionKey key;
    TcpSegment segment;
    while ((status = pcap_next_ex(pcap, &header, &data)) == 1) {
        ++result.packets;
        if (!parser.Parse(result.linkType, data, header->caplen, std::max(header->len, header->caplen), key,
                          segment))
            continue;
        segment.timeNs = TimeNs(header->ts);
        segment.packet = result.packets;
        table.Add(key, segment);
    }
    if (status == PCAP_ERROR)
        result.error = pcap_geterr(pcap);
    table.Finish(result.packets);
    result.connections = table.connections();
    return result;
}

// libpcap asks stdio for each packet's few dozen bytes: with stdio's buffer of a page, the kernel
// would be called every few dozen packets. A quarter of a megabyte reads as fast as more.
constexpr std::size_t kReadBuffer = std::size_t{1} << 18;

// Every connection kept whole, in the order of its first packet.
class Collector final : public PacketStreamSink {
public:
    explicit Collector(std::vector<TcpConnection>& connections) : m_connections(connections) {}
    bool Streams() const override { return false; }
    void Opened(const TcpConnection&) override { m_connections.emplace_back(); }
    void Read(const TcpConnection&, const StreamRead&, const std::uint8_t*) override {}
    void Gap(const TcpConnection&, const StreamGap&) override {}
    void Closed(TcpConnection& connection) override {
        m_connections[connection.index] = std::move(connection);
    }

private:
    std::vector<TcpConnection>& m_connections;
};

void Keep(PacketStreamResult result, PacketCaptureContents& contents) {
    contents.packets = result.packets;
    contents.linkType = result.linkType;
    contents.error = std::move(result.error);
}

} // namespace

std::string ConnectionText(const ConnectionKey& key) {
    const auto endpoint = [](const IpAddress& address, std::uint16_t port) {
        char text[INET6_ADDRSTRLEN] = {};
        inet_ntop(address.v6 ? AF_INET6 : AF_INET, address.bytes.data(), text, sizeof text);
        std::string result = address.v6 ? "[" + std::string(text) + "]" : std::string(text);
        return result + ':' + std::to_string(port);
    };
    return endpoint(key.client, key.clientPort) + " > " + endpoint(key.server, key.serverPort);
}

bool LooksLikePacketCapture(const std::uint8_t* bytes, std::size_t size) {
    return size >= 4 && std::any_of(kMagics.begin(), kMagics.end(), [bytes](const auto& magic) {
               return std::memcmp(bytes, magic.data(), magic.size()) == 0;
           });
}

bool IsPacketCaptureFile(const std::string& path) {
    // Only a regular file can be looked at and read again from its start: a pipe would lose the bytes.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::array<std::uint8_t, 4> start{};
    const std::size_t got = std::fread(start.data(), 1, start.size(), file);
    std::fclose(file);
    return LooksLikePacketCapture(start.data(), got);
}

PacketCaptureContents ReadPacketCapture(const std::string& path, std::uint16_t port) {
    PacketCaptureContents contents;
    Collector collector(contents.connections);
    Keep(ReadPacketStream(path, port, collector), contents);
    return contents;
}

PacketCaptureContents ReadPacketCapture(std::FILE* file, std::uint16_t port) {
    PacketCaptureContents contents;
    Collector collector(contents.connections);
    Keep(ReadPacketStream(file, port, collector), contents);
    return contents;
}

PacketStreamResult ReadPacketStream(const std::string& path, std::uint16_t port, PacketStreamSink& sink) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        PacketStreamResult result;
        result.error = std::strerror(errno);
        return result;
    }
    // pcap_close closes the stream before the buffer goes.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kReadBuffer);
    std::setvbuf(file, buffer.get(), _IOFBF, kReadBuffer);
    // The stream is this thread's alone: libpcap reads it twice a packet, and where other threads run
    // (decode's workers) each read would otherwise take and release the stream's lock.
    __fsetlocking(file, FSETLOCKING_BYCALLER);
    return ReadPacketStream(file, port, sink);
}

PacketStreamResult ReadPacketStream(std::FILE* file, std::uint16_t port, PacketStreamSink& sink) {
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_t* pcap = pcap_fopen_offline_with_tstamp_precision(file, PCAP_TSTAMP_PRECISION_NANO, error);
    if (!pcap) {
        std::fclose(file);
        PacketStreamResult result;
        result.error = error;
        return result;
    }
    PacketStreamResult result = ReadPackets(pcap, port, sink);
    pcap_close(pcap);
    return result;
}
