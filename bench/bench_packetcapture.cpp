// A 1,000,000-packet capture of the link: "decode CAPTURE > /dev/null" (every core and one thread) and
// the window's Load, against libpcap alone reading the same file (pcap_next_ex over every packet). Each
// is run three times, interleaved so that a busy moment of a shared machine hits all of them alike;
// min and median are printed, and the ratios of decode to libpcap alone.

#include "ResidentMemory.h"
#include "cli/DecodeRun.h"
#include "link/PacketCapture.h"
#include "link/PacketCaptureFile.h"
#include "support/CaptureBuilder.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPackets = 1'000'000;
constexpr int kRuns = 3;

// A day of the link: whole messages of every command, one a segment, now and then a message split over
// two segments, a retransmission or two segments swapped; a few connections one after the other.
class TrafficMaker {
public:
    std::vector<capture_builder::Segment> Next() {
        if (++m_messages % kMessagesAConnection == 0)
            ++m_connection;
        std::vector<std::uint8_t> message = Message();
        capture_builder::Segment segment;
        segment.clientPort = static_cast<std::uint16_t>(50000 + m_connection);
        segment.seq = m_seq;
        segment.timeNs = m_timeNs;
        m_timeNs += 250'000;
        m_seq += static_cast<std::uint32_t>(message.size());
        std::vector<capture_builder::Segment> segments;
        const int kind = Pick(1000);
        if (kind < 20) { // split
            const std::size_t half = message.size() / 2;
            segment.payload.assign(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(half));
            segments.push_back(segment);
            segment.seq += static_cast<std::uint32_t>(half);
            segment.payload.assign(message.begin() + static_cast<std::ptrdiff_t>(half), message.end());
            segments.push_back(segment);
        } else {
            segment.payload = message;
            segments.push_back(segment);
            if (kind < 30) // retransmitted
                segments.push_back(segment);
        }
        if (kind >= 990 && m_held.empty()) { // this one overtaken by the next
            m_held = segments;
            return {};
        }
        if (!m_held.empty()) {
            segments.insert(segments.end(), m_held.begin(), m_held.end());
            m_held.clear();
        }
        return segments;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    std::vector<std::uint8_t> Message() {
        const int kind = Pick(100);
        if (kind < 40)
            return {0x0C, 0x41, 0,
                    0,    0x10, '0',
                    '0',  '0',  static_cast<std::uint8_t>('1' + Pick(9)),
                    '0',  '1',  '5',
                    '1',  '0',  static_cast<std::uint8_t>(Pick(256)),
                    0};
        if (kind < 70)
            return {0x04, 0x41, 0, 0, 0x11, 0, 0, 0};
        std::vector<std::uint8_t> bytes = {0x4C, 0x41, 0, 0, 0x20, '0', '0', '1', '2'};
        for (int i = 0; i < 64; ++i)
            bytes.push_back(static_cast<std::uint8_t>(Pick(256)));
        bytes.insert(bytes.end(), {'0', static_cast<std::uint8_t>(Pick(256)), 0, 0, 0, 0, 0});
        return bytes;
    }

    std::mt19937 m_random{20261206};
    static constexpr int kMessagesAConnection = 250'000;
    int m_messages = 0;
    int m_connection = 0;
    std::uint32_t m_seq = 4'294'000'000U; // wraps within the run
    std::int64_t m_timeNs = 1'765'000'000'000'000'000;
    std::vector<capture_builder::Segment> m_held;
};

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
    {
        std::vector<capture_builder::Segment> segments;
        segments.reserve(kPackets + 4);
        TrafficMaker maker;
        while (segments.size() < static_cast<std::size_t>(kPackets)) {
            for (capture_builder::Segment& segment : maker.Next())
                segments.push_back(std::move(segment));
        }
        segments.resize(kPackets);
        if (!capture_builder::WritePcap(path, DLT_EN10MB, segments)) {
            std::printf("bench_packetcapture: cannot write %s\n", path.c_str());
            return 1;
        }
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
    // The window's Load once more, for its memory: the peak while it runs, and what the list keeps.
    const long before = StatusKb("VmRSS");
    const bool peakReset = ResetPeakRss();
    const LoadedCaptureFile loaded = LoadPacketCaptureFile(QString::fromStdString(path));
    const long peak = StatusKb("VmHWM");
    const long kept = StatusKb("VmRSS");

    std::printf(
        "bench_packetcapture: %d packets (pcap, Ethernet), %u worker threads, %d runs each (checksum %llu)\n",
        kPackets, DefaultWorkers(), kRuns, static_cast<unsigned long long>(checksum % 1000));
    Print("libpcap alone (pcap_next_ex)", libpcap, libpcap);
    Print("reader + reassembly", reader, libpcap);
    Print("decode, text, every core", decodeAll, libpcap);
    Print("decode, text, one thread", decodeOne, libpcap);
    Print("window Load (lines, newest first)", load, libpcap);
    std::printf(
        "  window Load gave %zu lines; resident %.1f MB before, peak %.1f MB%s, %.1f MB while the list "
        "holds them\n",
        loaded.parsed.lines.size(), static_cast<double>(before) / 1024, static_cast<double>(peak) / 1024,
        peakReset ? "" : " (peak not reset: of the whole run)", static_cast<double>(kept) / 1024);
    if (loaded.parsed.lines.size() != loadedLines) {
        std::printf("  error: the timed Loads gave %zu lines\n", loadedLines);
        return 1;
    }
    const bool met = decodeAll.Median() <= 2 * libpcap.Median();
    std::printf("  target: decode at least half as fast as libpcap alone (ratio <= 2.00): %s\n",
                met ? "met" : "NOT met");
    return 0;
}
