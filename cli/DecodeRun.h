#pragma once

#include "link/PacketCapture.h"
#include "report/LineDecoder.h"

#include <string>
#include <vector>

// The work of "decode" once its arguments are understood: every input in turn ("-" is standard input),
// then the messages given as hex, reported to a file descriptor. Errors are printed as they happen.
struct DecodeInputs {
    std::vector<std::string> files;
    std::vector<std::string> hexLines;     // capture lines made from --hex
    std::uint16_t port = kDefaultLinkPort; // the elevator side's port in packet captures
};

struct DecodeOutcome {
    bool allValid = true;
    bool inputError = false;
    int outputError = 0; // errno of a failed write
};

// workers 0 decodes on the calling thread; DefaultWorkers() uses every core.
DecodeOutcome RunDecode(const DecodeInputs& inputs, const DecodeOptions& options, unsigned workers,
                        int outFd);
unsigned DefaultWorkers();
