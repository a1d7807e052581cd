#include "cli/DecodeRun.h"

#include "cli/CaptureInput.h"
#include "cli/CommandLine.h"
#include "cli/PcapDecode.h"
#include "common/WriteAll.h"
#include "report/BatchDecoder.h"

#include <algorithm>
#include <cerrno>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "decode";
constexpr std::size_t kFlushSize = 1 << 18;
constexpr unsigned kMostWorkers = 8;

// Output goes out in large writes, and before any read that may wait so that a pipe from a live
// recorder shows each line as it comes.
class Output {
public:
    explicit Output(int fd) : m_fd(fd) {}

    void Flush() {
        WriteAll(m_buffer);
        m_buffer.clear();
    }
    // A large report goes out as it is rather than through the buffer.
    void Write(std::string_view report) {
        if (report.size() < kFlushSize) {
            m_buffer += report;
            if (m_buffer.size() < kFlushSize)
                return;
            report = {};
        }
        Flush();
        WriteAll(report);
    }
    int error() const { return m_error; }

private:
    void WriteAll(std::string_view text) {
        if (m_error == 0)
            m_error = ::WriteAll(m_fd, text);
    }

    int m_fd;
    std::string m_buffer;
    int m_error = 0;
};

} // namespace

unsigned DefaultWorkers() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? std::min(cores, kMostWorkers) : 0;
}

DecodeOutcome RunDecode(const DecodeInputs& inputs, const DecodeOptions& options, unsigned workers,
                        int outFd) {
    Output output(outFd);
    BatchDecoder decoder(options, workers, [&output](const std::string& report) { output.Write(report); });
    DecodeOutcome outcome;
    for (const std::string& path : inputs.files) {
        if (DecodePacketCapture(path, inputs.port, options, decoder, outcome))
            continue;
        CaptureInput input(path);
        if (!input.error().empty()) {
            PrintError(kCommand, "cannot open " + path + ": " + input.error());
            outcome.inputError = true;
            continue;
        }
        WarnOfJournal(kCommand, path);
        // A batch a block read; before a read that may wait, everything so far is decoded and written.
        input.setBeforeRead([&] {
            decoder.Submit();
            if (input.mayWait()) {
                decoder.Drain();
                output.Flush();
            }
        });
        std::string_view line;
        std::size_t number = 0;
        while (output.error() == 0 && input.Next(line, number))
            decoder.Add(path, number, line);
        decoder.Submit();
        if (!input.error().empty()) {
            PrintError(kCommand, "cannot read " + path + ": " + input.error());
            outcome.inputError = true;
        }
    }
    for (std::size_t i = 0; i < inputs.hexLines.size(); ++i)
        decoder.Add("--hex", i + 1, inputs.hexLines[i]);
    decoder.Drain();
    output.Flush();
    outcome.allValid = decoder.allValid() && outcome.allValid;
    outcome.outputError = output.error();
    return outcome;
}
