#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What "send --replay FILE" sends: the messages of a capture file or of a packet capture, in the order
// they were recorded, exactly as they stand there. A file that does not say exactly which bytes to send
// is refused whole (with the reason printed) before anything is sent.

struct ReplayMessage {
    std::vector<std::uint8_t> bytes;
    std::int64_t timeNs = -1; // when the capture saw it; -1 when the file does not say (capture lines)
};

// A capture file (newest first, from its last line up) or a file of bare capture lines (from its first
// line down): each line with bytes is one message, its byte text two hex digits a byte with one blank
// between bytes. A packet capture: the bytes sent to capturePort, every connection in the order of its
// first packet, cut into messages at their length bytes; a capture that lost a segment is refused.
std::optional<std::vector<ReplayMessage>> ReadReplay(const std::string& path, std::uint16_t capturePort);
