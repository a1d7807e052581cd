// Headless decode of a 1,000,000-line capture file to /dev/null, through the same code as
// "tarc-emulator decode FILE > /dev/null", against a bare loop that reads the same file line by line
// and writes each line to /dev/null.

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

// A day's recording: whole messages of every command with now and then a bad field, a tenth of reads
// that hold part of a message and a few that hold two.
class LineMaker {
public:
    std::string Next() {
        std::vector<int> bytes;
        const int kind = Pick(100);
        if (kind < 35)
            bytes = Message10();
        else if (kind < 55)
            bytes = {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00};
        else if (kind < 85)
            bytes = Message20();
        else if (kind < 95) {
            bytes = Pick(2) == 0 ? Message10() : Message20();
            bytes.resize(static_cast<std::size_t>(Pick(static_cast<int>(bytes.size()))));
        } else {
            bytes = Message10();
            const auto second = Message10();
            bytes.insert(bytes.end(), second.begin(), second.end());
        }
        std::string line = "[11/22/2012] [10:15:30]";
        for (const int byte : bytes) {
            line += ' ';
            modCommon::AppendByteToHex(line, static_cast<std::uint8_t>(byte));
        }
        return line;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    int Digit() { return Pick(50) == 0 ? Pick(256) : '0' + Pick(10); }
    std::vector<int> Message10() {
        std::vector<int> bytes = {0x0C, 0x41, 0x00, 0x00, 0x10};
        for (int i = 0; i < 7; ++i)
            bytes.push_back(Digit());
        bytes.insert(bytes.end(), {'1' + Pick(3), '0' + Pick(3), Pick(256), Pick(100) == 0 ? 1 : 0});
        return bytes;
    }
    std::vector<int> Message20() {
        std::vector<int> bytes = {0x4C, 0x41, 0x00, 0x00, 0x20, '0', '0', Digit(), Digit()};
        for (int i = 0; i < 64; ++i)
            bytes.push_back(Pick(256));
        bytes.insert(bytes.end(), {Pick(2) == 0 ? '0' : '2', Pick(256), 0, 0, 0, 0, 0});
        return bytes;
    }

    std::mt19937 m_random{20121122};
};

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
    {
        std::ofstream file(path, std::ios::binary);
        file << "[mm/dd/yyyy] [hh:mm:ss]\r\n";
        LineMaker maker;
        for (int i = 0; i < kLines; ++i)
            file << maker.Next() << "\r\n";
    }
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
