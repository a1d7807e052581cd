#pragma once

#include "link/TcpReassembler.h"

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Packet captures of the link taken on site (tcpdump, a packet analyzer; pcap or pcapng), read with
// libpcap: the bytes the access control system sent to the elevator side's port, per connection, in the
// order the elevator side's socket would have read them.

inline constexpr std::uint16_t kDefaultLinkPort = 60173;

struct IpAddress {
    std::array<std::uint8_t, 16> bytes{}; // IPv4 in the first four
    bool v6 = false;
    auto operator<=>(const IpAddress&) const = default;
};

// The sender's side first: the access control system, then the elevator side.
struct ConnectionKey {
    IpAddress client;
    std::uint16_t clientPort = 0;
    IpAddress server;
    std::uint16_t serverPort = 0;
    auto operator<=>(const ConnectionKey&) const = default;
};

// "10.0.0.5:50212 > 10.0.0.9:60173", IPv6 addresses in brackets.
std::string ConnectionText(const ConnectionKey& key);

struct TcpConnection {
    ConnectionKey key;
    std::uint64_t firstPacket = 0;
    std::int64_t firstTimeNs = 0;
    TcpReassembler stream;
    std::uint64_t index = 0; // connections to the port before it in the capture
    std::uint64_t lastPacket = 0;
    std::int64_t lastTimeNs = 0;
};

// What a packet capture holds, told as it is read: a connection's first packet, its reads and gaps in
// the order its socket would have seen them (across connections too), and its end (FIN with every byte
// before it, RST, the same ports connecting anew, or the end of the file), after which it is released.
// Reads and gaps reach Read and Gap only when Streams() says so; otherwise the stream keeps them.
class PacketStreamSink {
public:
    virtual ~PacketStreamSink() = default;
    virtual bool Streams() const { return true; }
    virtual void Opened(const TcpConnection& connection) = 0;
    virtual void Read(const TcpConnection& connection, const StreamRead& read, const std::uint8_t* bytes) = 0;
    virtual void Gap(const TcpConnection& connection, const StreamGap& gap) = 0;
    // The connection's counts are final; it may be moved from.
    virtual void Closed(TcpConnection& connection) = 0;
};

// How the reading of a packet capture went; what the sink was told stands either way.
struct PacketStreamResult {
    std::uint64_t packets = 0;     // every packet read from the file
    std::uint64_t connections = 0; // connections to the port
    int linkType = -1;             // libpcap's DLT_ value, -1 when the file did not open
    std::string error;             // as PacketCaptureContents::error
};

struct PacketCaptureContents {
    std::vector<TcpConnection> connections; // in the order of their first packet
    std::uint64_t packets = 0;              // every packet read from the file
    int linkType = -1;                      // libpcap's DLT_ value, -1 when the file did not open
    // Empty when the whole file was read. Otherwise why not (cannot open, another link type, truncated);
    // what was read before the fault is kept.
    std::string error;
};

// Whether a file starts like a pcap or a pcapng file (at least 4 bytes needed). Only a regular file is
// looked at: a pipe or a terminal is left unread.
bool LooksLikePacketCapture(const std::uint8_t* bytes, std::size_t size);
bool IsPacketCaptureFile(const std::string& path);

// The TCP payloads sent to `port` over IPv4 or IPv6 on Ethernet (with VLAN tags), Linux cooked (SLL,
// SLL2) or raw IP. A new connection on the same addresses and ports after a FIN or RST is a
// connection of its own.
PacketCaptureContents ReadPacketCapture(const std::string& path, std::uint16_t port);
// The same from an open stream, which is closed when done (libpcap owns it from the start).
PacketCaptureContents ReadPacketCapture(std::FILE* file, std::uint16_t port);
// The same told to a sink as it is read, holding no more than the connections open at a time.
PacketStreamResult ReadPacketStream(const std::string& path, std::uint16_t port, PacketStreamSink& sink);
PacketStreamResult ReadPacketStream(std::FILE* file, std::uint16_t port, PacketStreamSink& sink);
