#pragma once

#include "link/PacketCapture.h"
#include "report/CommissioningRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// The work of "report" once its arguments are understood: every input ("-" is standard input) fed to
// the record in turn, the capture lines oldest first and each input a stream of its own, a packet
// capture by its connections. Errors are printed as they happen.
struct ReportInputs {
    std::vector<std::string> files;
    std::uint16_t port = kDefaultLinkPort;
    // The order of the dates of lines that do not come with FormatText (record's output, packet
    // captures): this system's.
    DateOrder systemDateOrder = DateOrder::MonthFirst;
};

// False when an input could not be read (whole).
bool FeedRecord(const ReportInputs& inputs, CommissioningRecord& record);
