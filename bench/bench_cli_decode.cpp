// Headless decode of a 1,000,000-line capture file to /dev/null, through the same code as
// "tarc-emulator decode FILE > /dev/null", against a bare loop that reads the same file line by line
// and writes each line to /dev/null.

#include "BenchLines.h"
#include "cli/CaptureInput.h"
#include "cli/DecodeRun.h"
#include "common/modCommon.h"
#include "decode/DecodeTable.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kLines = 1'000'000;
constexpr int kRuns = 3;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Wall time and the processor time of all threads, each the best of the runs. On a shared machine the
// wall time depends on what else runs; the processor time much less.
struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

template <typename Work> Timing Best(Work work) {
    Timing best;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best.wall = std::min(best.wall, elapsed.count());
        best.cpu = std::min(best.cpu, CpuSeconds() - cpuStart);
    }
    return best;
}

void PrintFigure(const char* what, Timing timing, Timing baseline) {
    std::printf("  %-27s %7.1f ms %9.0f lines/s %5.2fx | cpu %7.1f ms %9.0f lines/cpu-s %5.2fx\n", what,
                timing.wall * 1e3, kLines / timing.wall, timing.wall / baseline.wall, timing.cpu * 1e3,
                kLines / timing.cpu, timing.cpu / baseline.cpu);
}

} // namespace

int main() {
    QTemporaryDir dir;
    const std::string path = dir.filePath("capture.txt").toStdString();
    WriteCaptureFile(path, kLines);
    const int devNull = ::open("/dev/null", O_WRONLY);

    const Timing bare = Best([&] {
        std::ifstream file(path, std::ios::binary);
        std::string line;
        while (std::getline(file, line)) {
            line.back() = '\n'; // the CR
            [[maybe_unused]] const ssize_t written = ::write(devNull, line.data(), line.size());
        }
    });

    // The decode core alone, one thread, on the same lines: what the window's selection costs.
    const Timing core = Best([&] {
        CaptureInput input(path);
        DecodeTable table;
        table.withWords = false;
        std::string_view line;
        std::size_t number = 0;
        while (input.Next(line, number))
            DecodeLine(table, line);
    });

    const DecodeInputs inputs{{path}, {}};
    DecodeOptions text;
    DecodeOptions json;
    json.json = true;
    bool valid = true;
    const auto decode = [&](const DecodeOptions& options, unsigned workers) {
        return Best([&] { valid = RunDecode(inputs, options, workers, devNull).allValid && valid; });
    };
    const unsigned workers = DefaultWorkers();
    const Timing textAll = decode(text, workers);
    const Timing textOne = decode(text, 0);
    const Timing jsonAll = decode(json, workers);
    const Timing jsonOne = decode(json, 0);

    std::printf("bench_cli_decode: %d capture lines to /dev/null, best of %d runs, %u worker threads "
                "(%u cores)\n",
                kLines, kRuns, workers, std::max(1u, workers));
    PrintFigure("bare getline + write loop", bare, bare);
    PrintFigure("DecodeLine alone, one thread", core, bare);
    PrintFigure("decode, text, every core", textAll, bare);
    PrintFigure("decode, text, one thread", textOne, bare);
    PrintFigure("decode --json, every core", jsonAll, bare);
    PrintFigure("decode --json, one thread", jsonOne, bare);
    std::printf("  wall time, then processor time of all threads; ratios to the bare loop\n");
    std::printf("  target: over 1000000 lines/s (text, every core): %s\n",
                kLines / textAll.wall > 1e6 ? "met" : "NOT met");
    ::close(devNull);
    if (valid) {
        std::printf("  error: the mix holds bad fields, but none was reported\n");
        return 1;
    }
    return 0;
}
