#pragma once

#include "cli/DecodeRun.h"
#include "report/BatchDecoder.h"

#include <cstdint>
#include <string>

// "decode" on a packet capture (pcap or pcapng, told by its first bytes), read as a stream: for every
// connection to the port, an opening record, then every message of its byte stream framed by the length
// byte across segments and decoded as a capture line, numbered by the packet that carries its first
// byte, and at its end (FIN, RST, the ports connecting anew, the end of the file) a summary record.
// Connections open at the same time interleave; every record names its connection. A gap in the capture
// gets a record of its own; a message it cuts is decoded as far as it goes, never glued to bytes after
// the gap. Memory holds the open connections, not the file.
//
// Returns false, touching nothing, when the file is not a packet capture. Otherwise everything goes
// through the decoder in order; a gap clears outcome.allValid (bytes of some message are missing), a
// file that cannot be read whole or holds no connection to the port sets outcome.inputError.
bool DecodePacketCapture(const std::string& path, std::uint16_t port, const DecodeOptions& options,
                         BatchDecoder& decoder, DecodeOutcome& outcome);
