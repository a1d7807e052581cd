// Load and save of a 1,000,000-line capture file. Load is measured against reading the same file into a
// new buffer: any list that holds the file must fault in that much fresh memory, and on some machines
// that alone costs more than splitting the lines, so a bare getline loop (which reuses one small
// string) would flatter nothing and explain nothing. Both run alternately, each three times.

#include "ResidentMemory.h"
#include "link/CaptureFileIO.h"

#include "MinMedian.h"

#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 1'000'000;
constexpr int kRuns = 3;

volatile unsigned g_sink = 0;

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

    // Each run gets fresh memory: a buffer this large is mapped on allocation and unmapped when freed.
    auto readWhole = [&]() -> std::size_t {
        std::ifstream in(loadPath.toStdString(), std::ios::binary | std::ios::ate);
        const auto size = static_cast<std::size_t>(in.tellg());
        in.seekg(0);
        auto buffer = std::make_unique_for_overwrite<char[]>(size);
        in.read(buffer.get(), static_cast<std::streamsize>(size));
        g_sink = g_sink + static_cast<unsigned char>(buffer[size / 2]);
        return in.gcount() == static_cast<std::streamsize>(size) ? size : 0;
    };

    std::vector<double> bare;
    std::vector<double> load;
    std::size_t bareBytes = 0;
    long peakKb = -1;
    long heldKb = -1;
    long rssBefore = -1;
    bool peakReset = false;
    LoadedCaptureFile loaded;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        bareBytes = readWhole();
        bare.push_back(Seconds(start));
        if (bareBytes == 0)
            return 1;

        loaded = {};
        if (run == 0) {
            rssBefore = StatusKb("VmRSS");
            peakReset = ResetPeakRss();
        }
        start = std::chrono::steady_clock::now();
        loaded = LoadCaptureFile(loadPath);
        load.push_back(Seconds(start));
        if (run == 0) {
            peakKb = StatusKb("VmHWM");
            heldKb = StatusKb("VmRSS") - rssBefore;
        }
        if (!loaded.readOk || loaded.parsed.lines.size() != kLines)
            return 1;
    }
    double saveBest = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (!SaveCaptureFile(savePath, "[yyyy/mm/dd] [hh:mm:ss]", loaded.parsed.lines))
            return 1;
        saveBest = std::min(saveBest, Seconds(start));
    }

    const MinMedian b = Of(bare);
    const MinMedian l = Of(load);
    std::printf("capture file: %d lines, %.1f MB\n", kLines, bareBytes / 1e6);
    std::printf("read into a new buffer:  %7.3f s min, %.3f s median of %d\n", b.min, b.median, kRuns);
    std::printf("LoadCaptureFile:         %7.3f s min, %.3f s median of %d; %.2fx / %.2fx the baseline "
                "(target <= 1.5x)\n",
                l.min, l.median, kRuns, l.min / b.min, l.median / b.median);
    std::printf("LoadCaptureFile, first:  %7.3f s (the first in the process: all its memory fresh)\n",
                load[0]);
    std::printf("SaveCaptureFile:         %7.3f s (best of %d, QSaveFile commit included; target < 0.5 s)\n",
                saveBest, kRuns);
    std::printf("resident before load:    %7.1f MB\n", rssBefore / 1024.0);
    std::printf("loaded list held:        %7.1f MB above that\n", heldKb / 1024.0);
    std::printf("peak resident (VmHWM):   %7.1f MB over the first load%s (target < 400 MB)\n",
                peakKb / 1024.0, peakReset ? "" : "; peak reset refused, so since start");
    return 0;
}
