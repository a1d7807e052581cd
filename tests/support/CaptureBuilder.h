#pragma once

// Packet captures made in the test: the packets of a TCP link framed for a given link type, written as
// pcap by libpcap itself (pcap_open_dead + pcap_dump) or as pcapng block by block.

#include <pcap/pcap.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace capture_builder {

inline constexpr std::uint8_t kFin = 0x01;
inline constexpr std::uint8_t kSyn = 0x02;
inline constexpr std::uint8_t kRst = 0x04;
inline constexpr std::uint8_t kAck = 0x10;
inline constexpr std::uint8_t kPsh = 0x08;

struct Segment {
    std::string client = "192.168.10.5";
    std::uint16_t clientPort = 50212;
    std::string server = "192.168.10.9";
    std::uint16_t serverPort = 60173;
    std::uint32_t seq = 0;
    std::uint8_t flags = kAck | kPsh;
    std::vector<std::uint8_t> payload;
    std::int64_t timeNs = 0;
    std::size_t snap = 65535; // bytes of the frame the file keeps
};

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}

inline bool IsV6(const Segment& segment) {
    return segment.client.find(':') != std::string::npos;
}

inline void PutAddress(std::vector<std::uint8_t>& out, const std::string& text) {
    std::uint8_t bytes[16] = {};
    const bool v6 = text.find(':') != std::string::npos;
    inet_pton(v6 ? AF_INET6 : AF_INET, text.c_str(), bytes);
    out.insert(out.end(), bytes, bytes + (v6 ? 16 : 4));
}

// IP header, TCP header (checksums left zero: captures taken with offloading look the same), payload.
inline std::vector<std::uint8_t> IpPacket(const Segment& segment) {
    std::vector<std::uint8_t> tcp;
    Put16(tcp, segment.clientPort);
    Put16(tcp, segment.serverPort);
    Put32(tcp, segment.seq);
    Put32(tcp, 1);       // ack
    tcp.push_back(0x50); // 20-byte header
    tcp.push_back(segment.flags);
    Put16(tcp, 65535); // window
    Put32(tcp, 0);     // checksum, urgent
    tcp.insert(tcp.end(), segment.payload.begin(), segment.payload.end());
    std::vector<std::uint8_t> ip;
    if (IsV6(segment)) {
        Put32(ip, 0x60000000);
        Put16(ip, static_cast<std::uint32_t>(tcp.size()));
        ip.push_back(6);
        ip.push_back(64);
    } else {
        ip.push_back(0x45);
        ip.push_back(0);
        Put16(ip, static_cast<std::uint32_t>(20 + tcp.size()));
        Put32(ip, 0x00014000); // id 1, don't fragment
        ip.push_back(64);
        ip.push_back(6);
        Put16(ip, 0);
    }
    PutAddress(ip, segment.client);
    PutAddress(ip, segment.server);
    ip.insert(ip.end(), tcp.begin(), tcp.end());
    return ip;
}

// The whole frame for the link type; Ethernet frames are padded to 60 bytes as on the wire.
inline std::vector<std::uint8_t> Frame(int linkType, const Segment& segment, bool vlan = false) {
    const std::vector<std::uint8_t> ip = IpPacket(segment);
    const std::uint16_t type = IsV6(segment) ? 0x86DD : 0x0800;
    std::vector<std::uint8_t> frame;
    switch (linkType) {
    case DLT_EN10MB:
        frame = {0x02, 0, 0, 0, 0, 0x09, 0x02, 0, 0, 0, 0, 0x05};
        if (vlan) {
            Put16(frame, 0x8100);
            Put16(frame, 42);
        }
        Put16(frame, type);
        break;
    case DLT_LINUX_SLL:
        Put16(frame, 0); // to us
        Put16(frame, 1); // ARPHRD_ETHER
        Put16(frame, 6); // address length
        frame.insert(frame.end(), {0x02, 0, 0, 0, 0, 0x05, 0, 0});
        Put16(frame, type);
        break;
    case DLT_LINUX_SLL2:
        Put16(frame, type);
        Put16(frame, 0);    // reserved
        Put32(frame, 2);    // interface index
        Put16(frame, 1);    // ARPHRD_ETHER
        frame.push_back(0); // to us
        frame.push_back(6); // address length
        frame.insert(frame.end(), {0x02, 0, 0, 0, 0, 0x05, 0, 0});
        break;
    default: // raw IP
        break;
    }
    frame.insert(frame.end(), ip.begin(), ip.end());
    if (linkType == DLT_EN10MB && frame.size() < 60)
        frame.resize(60, 0xEE);
    return frame;
}

// Writes a pcap file through libpcap.
inline bool WritePcap(const std::string& path, int linkType, const std::vector<Segment>& segments,
                      bool nanoseconds = false, bool vlan = false) {
    pcap_t* dead = pcap_open_dead_with_tstamp_precision(
        linkType, 65535, nanoseconds ? PCAP_TSTAMP_PRECISION_NANO : PCAP_TSTAMP_PRECISION_MICRO);
    if (!dead)
        return false;
    pcap_dumper_t* dumper = pcap_dump_open(dead, path.c_str());
    if (!dumper) {
        pcap_close(dead);
        return false;
    }
    for (const Segment& segment : segments) {
        const std::vector<std::uint8_t> frame = Frame(linkType, segment, vlan);
        pcap_pkthdr header{};
        header.ts.tv_sec = static_cast<time_t>(segment.timeNs / 1'000'000'000);
        const std::int64_t fraction = segment.timeNs % 1'000'000'000;
        header.ts.tv_usec = static_cast<suseconds_t>(nanoseconds ? fraction : fraction / 1000);
        header.len = static_cast<bpf_u_int32>(frame.size());
        header.caplen = static_cast<bpf_u_int32>(std::min(frame.size(), segment.snap));
        pcap_dump(reinterpret_cast<u_char*>(dumper), &header, frame.data());
    }
    pcap_dump_close(dumper);
    pcap_close(dead);
    return true;
}

inline void PutLe16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void PutLe32(std::string& out, std::uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

// A pcapng file written by hand, little-endian: section header, one interface (microsecond times),
// one enhanced packet block a segment.
inline std::string Pcapng(int linkType, const std::vector<Segment>& segments) {
    std::string out;
    PutLe32(out, 0x0A0D0D0A);
    PutLe32(out, 28);
    PutLe32(out, 0x1A2B3C4D);
    PutLe16(out, 1);
    PutLe16(out, 0);
    PutLe32(out, 0xFFFFFFFF); // section length unknown
    PutLe32(out, 0xFFFFFFFF);
    PutLe32(out, 28);

    PutLe32(out, 1); // interface description
    PutLe32(out, 20);
    PutLe16(out,
            linkType == DLT_RAW ? 101U : static_cast<std::uint32_t>(linkType)); // the file's LINKTYPE_RAW
    PutLe16(out, 0);
    PutLe32(out, 65535);
    PutLe32(out, 20);

    for (const Segment& segment : segments) {
        const std::vector<std::uint8_t> frame = Frame(linkType, segment);
        const std::size_t kept = std::min(frame.size(), segment.snap);
        const std::size_t padded = (kept + 3) & ~std::size_t{3};
        const auto total = static_cast<std::uint32_t>(32 + padded);
        const auto micros = static_cast<std::uint64_t>(segment.timeNs / 1000);
        PutLe32(out, 6);
        PutLe32(out, total);
        PutLe32(out, 0); // interface 0
        PutLe32(out, static_cast<std::uint32_t>(micros >> 32));
        PutLe32(out, static_cast<std::uint32_t>(micros & 0xFFFFFFFF));
        PutLe32(out, static_cast<std::uint32_t>(kept));
        PutLe32(out, static_cast<std::uint32_t>(frame.size()));
        out.append(reinterpret_cast<const char*>(frame.data()), kept);
        out.append(padded - kept, '\0');
        PutLe32(out, total);
    }
    return out;
}

inline bool WriteBytes(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace capture_builder
