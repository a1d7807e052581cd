#pragma once

#include "link/PacketCapture.h"
#include "report/LineHeader.h"
#include "report/PacketRecords.h"

#include <cstdint>
#include <string>
#include <string_view>

// A packet capture as the headless commands read it: for every connection to the port, its opening,
// then each message of its byte stream, framed by the length byte across segments, with the date and
// time of a capture line, numbered by the packet carrying its first byte, each gap, and its end with a
// summary. Connections open at the same time interleave; every call names its connection.
// `decode` prints what it is told, `report` keeps a record of it. Memory holds the open connections,
// not the file.
class PcapLineSink {
public:
    // The header's texts are valid during the call only.
    virtual void Opened(const LineHeader& header) = 0;
    // A message: its capture line is prefix ("[date] [time]") and the bytes in hex, made by whoever
    // needs it. The header's date and time are views into prefix, as SplitCaptureLine reads it.
    virtual void Message(const LineHeader& header, std::string_view prefix, const std::uint8_t* bytes,
                         std::size_t count) = 0;
    virtual void Gap(const LineHeader& header, const GapRecord& gap) = 0;
    // header: the last packet; opened: the first packet's header, as Opened was told it.
    virtual void Closed(const LineHeader& header, const LineHeader& opened, const StreamSummary& stream) = 0;

protected:
    ~PcapLineSink() = default;
};

// Reads a packet capture (tell one by IsPacketCaptureFile) to the end, telling the sink.
PacketStreamResult ReadPcapLines(const std::string& path, std::uint16_t port, PcapLineSink& sink);

// Prints what went wrong reading it, if anything, for the command; true when something did (an
// input error: it could not be read whole, or holds no connection to the port).
bool ReportPcapProblem(std::string_view command, const std::string& path, std::uint16_t port,
                       const PacketStreamResult& result);
