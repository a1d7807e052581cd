// Captures of the link at 1,000,000 and 3,000,000 packets. First the command as an operator runs it,
// "tarc-emulator decode CAPTURE > /dev/null" in a child process, for its wall time and peak resident
// size, beside "tshark -r CAPTURE -T fields -e tcp.payload" (a payload dump, no decoding) when tshark is
// on PATH. Then, in this process on the 1,000,000 packets, decode (every core and one thread), the
// reader with reassembly and the window's Load against libpcap alone reading the same file
// (pcap_next_ex over every packet). Each is run three times, interleaved so that a busy moment of a
// shared machine hits all of them alike; min and median are printed.

#include "BenchTraffic.h"
#include "ChildRun.h"
#include "MinMedian.h"
#include "ResidentMemory.h"
#include "cli/DecodeRun.h"
#include "link/PacketCapture.h"
#include "link/PacketCaptureFile.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPackets = 1'000'000;
constexpr int kMorePackets = 3'000'000;
constexpr int kRuns = 3;
constexpr double kMostPeakMb = 64;

struct Figures {
    std::vector<double> seconds;
    double Min() const { return *std::min_element(seconds.begin(), seconds.end()); }
    double Median() const {
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

double Time(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Repeated runs of one command in a child: its times and peak sizes, and whether every run succeeded.
struct ChildRows {
    std::vector<double> seconds, peakMb;
    bool failed = false;
    void Add(const ChildFigures& figures) {
        seconds.push_back(figures.seconds);
        peakMb.push_back(figures.peakMb);
        failed = failed || figures.status != 0;
    }
};

void PrintChild(const char* what, const ChildRows& rows) {
    const MinMedian time = Of(rows.seconds), peak = Of(rows.peakMb);
    std::printf("  %-30s min %8.2f s  median %8.2f s  | peak resident min %7.1f MB  median %7.1f MB%s\n",
                what, time.min, time.median, peak.min, peak.median, rows.failed ? "  (a run FAILED)" : "");
}

constexpr double kLeastTsharkRatio = 75;
constexpr double kMostPeakShare = 0.1; // of tshark's

struct Verdicts {
    bool peak = true;   // decode's peak within kMostPeakMb
    bool versus = true; // against tshark, where it ran: kLeastTsharkRatio and kMostPeakShare
};

// decode and, when there, tshark on one capture, interleaved.
Verdicts MeasureChildren(const std::string& path, int packets, bool tshark) {
    ChildRows decode, dump;
    for (int run = 0; run < kRuns; ++run) {
        decode.Add(RunChild({TARC_EMULATOR, "decode", path}));
        if (tshark)
            dump.Add(RunChild({"tshark", "-r", path, "-T", "fields", "-e", "tcp.payload"}));
    }
    std::printf(" %d packets, %.1f MB:\n", packets,
                static_cast<double>(std::filesystem::file_size(path)) / 1e6);
    PrintChild("tarc-emulator decode", decode);
    Verdicts verdicts;
    verdicts.peak = !decode.failed && Of(decode.peakMb).median <= kMostPeakMb;
    if (!tshark) {
        std::printf("  %-30s skipped: tshark is not on PATH\n", "tshark -T fields -e tcp.payload");
        return verdicts;
    }
    PrintChild("tshark -T fields -e tcp.payload", dump);
    const MinMedian ours = Of(decode.seconds), theirs = Of(dump.seconds);
    const MinMedian ourPeak = Of(decode.peakMb), theirPeak = Of(dump.peakMb);
    std::printf("  tshark / decode: wall min %.1fx median %.1fx, peak resident min %.1fx median %.1fx\n",
                theirs.min / ours.min, theirs.median / ours.median, theirPeak.min / ourPeak.min,
                theirPeak.median / ourPeak.median);
    verdicts.versus = !decode.failed && !dump.failed && theirs.min / ours.min >= kLeastTsharkRatio &&
                      theirs.median / ours.median >= kLeastTsharkRatio &&
                      ourPeak.median <= kMostPeakShare * theirPeak.median;
    std::printf("  target: decode at least %.0fx faster than tshark (min and median) with at most a tenth of "
                "its peak: %s\n",
                kLeastTsharkRatio, verdicts.versus ? "met" : "NOT met");
    return verdicts;
}

void Print(const char* what, const Figures& figures, const Figures& baseline) {
    std::printf("  %-36s min %7.1f ms  median %7.1f ms  | x libpcap alone: min %5.2f  median %5.2f\n", what,
                figures.Min() * 1e3, figures.Median() * 1e3, figures.Min() / baseline.Min(),
                figures.Median() / baseline.Median());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string path = dir.filePath("site.pcap").toStdString();
    const std::string morePath = dir.filePath("site-3m.pcap").toStdString();
    if (!WriteCapture(path, kPackets) || !WriteCapture(morePath, kMorePackets)) {
        std::printf("bench_packetcapture: cannot write the captures in %s\n",
                    dir.path().toUtf8().constData());
        return 1;
    }
    // The children first, while this process is small: a forked child starts with its parent's pages.
    const bool tshark = OnPath("tshark");
    std::printf("bench_packetcapture: the command in a child process, output to /dev/null, %d runs each; "
                "this process resident %.1f MB when it forks (the floor of every peak below)\n",
                kRuns, static_cast<double>(StatusKb("VmRSS")) / 1024);
    const Verdicts one = MeasureChildren(path, kPackets, tshark);
    const Verdicts more = MeasureChildren(morePath, kMorePackets, tshark);
    const bool peakMet = one.peak && more.peak;
    std::filesystem::remove(morePath);
    std::printf("  target: decode's peak resident at most %.0f MB at both sizes: %s\n", kMostPeakMb,
                peakMet ? "met" : "NOT met");

    // The window's Load once for its memory, while this process is still small: the peak while it runs
    // against what the list keeps afterwards, both above what the process held before.
    const long before = StatusKb("VmRSS");
    const bool peakReset = ResetPeakRss();
    long peak = 0, kept = 0;
    std::size_t measuredLines = 0;
    {
        const LoadedCaptureFile loaded = LoadPacketCaptureFile(QString::fromStdString(path));
        peak = StatusKb("VmHWM");
        kept = StatusKb("VmRSS");
        measuredLines = loaded.parsed.lines.size();
    }

    const int devNull = ::open("/dev/null", O_WRONLY);
    std::uint64_t checksum = 0;
    const DecodeInputs inputs{{path}, {}, kDefaultLinkPort};
    const DecodeOptions text;
    std::size_t loadedLines = 0;

    Figures libpcap, reader, decodeAll, decodeOne, load;
    for (int run = 0; run < kRuns; ++run) {
        libpcap.seconds.push_back(Time([&] {
            char error[PCAP_ERRBUF_SIZE];
            pcap_t* pcap = pcap_open_offline(path.c_str(), error);
            pcap_pkthdr* header = nullptr;
            const u_char* data = nullptr;
            while (pcap_next_ex(pcap, &header, &data) == 1)
                checksum += header->caplen + data[header->caplen - 1];
            pcap_close(pcap);
        }));
        reader.seconds.push_back(Time([&] {
            // Reassembly as decode and Load use it: every read handed on, nothing kept.
            struct Count final : PacketStreamSink {
                std::uint64_t bytes = 0;
                void Opened(const TcpConnection&) override {}
                void Read(const TcpConnection&, const StreamRead& read, const std::uint8_t*) override {
                    bytes += read.size;
                }
                void Gap(const TcpConnection&, const StreamGap&) override {}
                void Closed(TcpConnection&) override {}
            } count;
            ReadPacketStream(path, kDefaultLinkPort, count);
            checksum += count.bytes;
        }));
        decodeAll.seconds.push_back(Time([&] { RunDecode(inputs, text, DefaultWorkers(), devNull); }));
        decodeOne.seconds.push_back(Time([&] { RunDecode(inputs, text, 0, devNull); }));
        load.seconds.push_back(Time(
            [&] { loadedLines = LoadPacketCaptureFile(QString::fromStdString(path)).parsed.lines.size(); }));
    }
    ::close(devNull);

    std::printf(
        "bench_packetcapture: %d packets (pcap, Ethernet), %u worker threads, %d runs each (checksum %llu)\n",
        kPackets, DefaultWorkers(), kRuns, static_cast<unsigned long long>(checksum % 1000));
    Print("libpcap alone (pcap_next_ex)", libpcap, libpcap);
    Print("reader + reassembly", reader, libpcap);
    Print("decode, text, every core", decodeAll, libpcap);
    Print("decode, text, one thread", decodeOne, libpcap);
    Print("window Load (lines, newest first)", load, libpcap);
    const double listMb = static_cast<double>(kept - before) / 1024;
    const double loadPeakMb = static_cast<double>(peak - before) / 1024;
    std::printf("  window Load gave %zu lines; resident %.1f MB before, peak %.1f MB%s, %.1f MB while the list "
                "holds them: the Load's peak is %.2fx what the list holds\n",
                measuredLines, static_cast<double>(before) / 1024, static_cast<double>(peak) / 1024,
                peakReset ? "" : " (peak not reset: of the whole run)", static_cast<double>(kept) / 1024,
                loadPeakMb / listMb);
    if (measuredLines != loadedLines) {
        std::printf("  error: the timed Loads gave %zu lines\n", loadedLines);
        return 1;
    }
    std::printf("  target: the window Load's peak at most about 1.3x what the list holds: %s\n",
                peakReset && loadPeakMb <= 1.3 * listMb ? "met" : "NOT met");
    const bool met = reader.Median() <= 2.5 * libpcap.Median();
    std::printf("  target: reading and reassembly within 2.5x libpcap alone: %s\n", met ? "met" : "NOT met");
    return 0;
}
