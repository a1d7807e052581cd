#pragma once

#include "cli/DecodeRun.h"
#include "report/BatchDecoder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// "decode" on a packet capture (pcap or pcapng, told by its first bytes): for every connection to the
// port, a summary line, then every message of its byte stream framed by the length byte across
// segments and decoded as a capture line, numbered by the packet that carries its first byte. A gap in
// the capture gets a line of its own; a message it cuts is decoded as far as it goes, never glued to
// bytes after the gap.
//
// Returns false, touching nothing, when the file is not a packet capture. Otherwise everything is
// written through `write` in order; a gap clears outcome.allValid (bytes of some message are missing),
// a file that cannot be read whole or holds no connection to the port sets outcome.inputError.
bool DecodePacketCapture(const std::string& path, std::uint16_t port, const DecodeOptions& options,
                         BatchDecoder& decoder, const std::function<void(std::string_view)>& write,
                         DecodeOutcome& outcome);
