// Load and save of a 1,000,000-line capture file, against a bare std::getline loop over the same file.

#include "ResidentMemory.h"
#include "link/CaptureFileIO.h"

#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace {

constexpr int kLines = 1'000'000;
constexpr int kRuns = 3;

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Mostly short reads with a few long ones, 8 to 80 bytes each: about 100 bytes of text per line.
// Written as it is made, so the generator holds nothing when the measurements start.
void WriteCaptureFile(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> share(0.0, 1.0);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    AppendCaptureFileLine(text, "[yyyy/mm/dd] [hh:mm:ss]");
    for (int i = 0; i < kLines; ++i) {
        const double u = share(random);
        const auto count = static_cast<std::size_t>(8 + 72 * u * u * u);
        std::uint8_t bytes[80];
        for (std::size_t k = 0; k < count; ++k)
            bytes[k] = static_cast<std::uint8_t>(byte(random));
        char prefix[32];
        const int second = kLines - i;
        std::snprintf(prefix, sizeof prefix, "[2024/05/17] [%02d:%02d:%02d]", second / 3600 % 24,
                      second / 60 % 60, second % 60);
        AppendCaptureFileLine(text, MakeCaptureLine(prefix, bytes, count));
        if (text.size() > (1 << 20)) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            text.clear();
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString loadPath = dir.filePath("capture.txt");
    const QString savePath = dir.filePath("saved.txt");
    WriteCaptureFile(loadPath.toStdString());

    double bareBest = 1e9;
    std::size_t bareBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::ifstream in(loadPath.toStdString(), std::ios::binary);
        std::string line;
        std::size_t lines = 0;
        bareBytes = 0;
        while (std::getline(in, line)) {
            ++lines;
            bareBytes += line.size() + 1;
        }
        bareBest = std::min(bareBest, Seconds(start));
        if (lines != kLines + 1)
            return 1;
    }

    // The first load in a process pays for fresh memory from the kernel (page faults for the file bytes and
    // the line strings); a repeat load reuses what the allocator kept. The first one is what the operator
    // sees.
    const long rssBefore = StatusKb("VmRSS");
    const bool peakReset = ResetPeakRss();
    auto start = std::chrono::steady_clock::now();
    LoadedCaptureFile loaded = LoadCaptureFile(loadPath);
    const double firstLoad = Seconds(start);
    const long peakKb = StatusKb("VmHWM");
    const long heldKb = StatusKb("VmRSS") - rssBefore;
    if (!loaded.readOk || loaded.parsed.lines.size() != kLines)
        return 1;

    double repeatBest = 1e9;
    for (int run = 1; run < kRuns; ++run) {
        loaded = {};
        start = std::chrono::steady_clock::now();
        loaded = LoadCaptureFile(loadPath);
        repeatBest = std::min(repeatBest, Seconds(start));
        if (!loaded.readOk || loaded.parsed.lines.size() != kLines)
            return 1;
    }

    double saveBest = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        start = std::chrono::steady_clock::now();
        if (!SaveCaptureFile(savePath, "[yyyy/mm/dd] [hh:mm:ss]", loaded.parsed.lines))
            return 1;
        saveBest = std::min(saveBest, Seconds(start));
    }

    std::printf("capture file: %d lines, %.1f MB\n", kLines, bareBytes / 1e6);
    std::printf("bare std::getline loop:  %7.3f s (best of %d)\n", bareBest, kRuns);
    std::printf("LoadCaptureFile, first:  %7.3f s, %.2fx the bare loop (target < 0.5 s, < 3x)\n", firstLoad,
                firstLoad / bareBest);
    std::printf("LoadCaptureFile, repeat: %7.3f s (best of %d), %.2fx the bare loop\n", repeatBest, kRuns - 1,
                repeatBest / bareBest);
    std::printf("SaveCaptureFile:         %7.3f s (best of %d, QSaveFile commit included; target < 0.5 s)\n",
                saveBest, kRuns);
    std::printf("resident before load:    %7.1f MB\n", rssBefore / 1024.0);
    std::printf("loaded list held:        %7.1f MB above that\n", heldKb / 1024.0);
    std::printf("peak resident (VmHWM):   %7.1f MB over the first load%s (target < 400 MB)\n",
                peakKb / 1024.0, peakReset ? "" : "; peak reset refused, so since start");
    return 0;
}
