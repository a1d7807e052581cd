// The commissioning record against decode on the same inputs: "tarc-emulator report --html --junit
// --json" and "tarc-emulator decode", each as an operator runs it, in a child process for its wall time
// and peak resident size, on a 1,000,000-line capture file (newest first, so report reads it from its
// end) and on a 1,000,000-packet capture. The two commands take turns, three runs each, so that a busy
// moment of a shared machine hits both alike; min and median are printed.

#include "BenchLines.h"
#include "BenchTraffic.h"
#include "ChildRun.h"
#include "MinMedian.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 1'000'000;
constexpr int kPackets = 1'000'000;
constexpr int kRuns = 3;
constexpr double kMostRatio = 1.5;
constexpr double kMostPeakMb = 64;

// Both commands over one input, taking turns; false when the targets are not met or report's exit
// status is not the one the input calls for.
bool Compare(const char* what, const std::string& input, const std::string& outDir, int expectedStatus) {
    std::vector<double> decodeSeconds, reportSeconds, decodePeaks, reportPeaks;
    int reportStatus = -1;
    for (int run = 0; run < kRuns; ++run) {
        const ChildFigures decode = RunChild({TARC_EMULATOR, "decode", input});
        const ChildFigures report =
            RunChild({TARC_EMULATOR, "report", "--html", outDir + "/r.html", "--junit", outDir + "/r.xml",
                      "--json", outDir + "/r.json", input});
        decodeSeconds.push_back(decode.seconds);
        reportSeconds.push_back(report.seconds);
        decodePeaks.push_back(decode.peakMb);
        reportPeaks.push_back(report.peakMb);
        reportStatus = report.status;
    }
    const MinMedian decode = Of(decodeSeconds);
    const MinMedian report = Of(reportSeconds);
    const MinMedian decodePeak = Of(decodePeaks);
    const MinMedian reportPeak = Of(reportPeaks);
    std::printf("%s\n", what);
    std::printf("  decode  wall %6.3f / %6.3f s   peak %5.1f / %5.1f MB\n", decode.min, decode.median,
                decodePeak.min, decodePeak.median);
    std::printf("  report  wall %6.3f / %6.3f s   peak %5.1f / %5.1f MB   exit %d\n", report.min,
                report.median, reportPeak.min, reportPeak.median, reportStatus);
    const double ratioMin = report.min / decode.min;
    const double ratioMedian = report.median / decode.median;
    const bool met = ratioMedian <= kMostRatio && reportPeak.median <= kMostPeakMb;
    std::printf("  report / decode: %.2fx / %.2fx (min / median); target at most %.1fx and %.0f MB: %s\n",
                ratioMin, ratioMedian, kMostRatio, kMostPeakMb, met ? "met" : "NOT met");
    if (reportStatus != expectedStatus)
        std::printf("  error: report exited %d, not %d\n", reportStatus, expectedStatus);
    return met && reportStatus == expectedStatus;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string capture = dir.filePath("capture.txt").toStdString();
    const std::string packets = dir.filePath("site.pcap").toStdString();
    WriteCaptureFile(capture, kLines);
    if (!WriteCapture(packets, kPackets)) {
        std::printf("bench_report: cannot write the packet capture in %s\n", dir.path().toUtf8().constData());
        return 1;
    }
    std::printf(
        "bench_report: min / median of %d runs each, taking turns; wall time and peak resident size\n",
        kRuns);
    const std::string outDir = dir.path().toStdString();
    // The lines' mix holds bad fields (status 1); the packets' traffic is valid and has no gap (0).
    const bool lines = Compare("1,000,000-line capture file", capture, outDir, 1);
    const bool pcap = Compare("1,000,000-packet capture", packets, outDir, 0);
    return lines && pcap ? 0 : 1;
}
