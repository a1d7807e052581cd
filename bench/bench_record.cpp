// record --out at a steady rate: CPU per arrival and peak memory for a short and a long recording,
// beside a plain byte copy (accept, read, write to a file) fed the same way, all in one run.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 25000; // messages a second
constexpr int kRuns = 3;

sockaddr_in Loopback(quint16 port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// The baseline: what any recorder must do at least, one read and one write per arrival.
int RunCopy(quint16 port, const char* path) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = Loopback(port);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0)
        return 2;
    std::fputs("listening\n", stderr);
    const int peer = ::accept(listener, nullptr, nullptr);
    FILE* out = std::fopen(path, "wb");
    char buffer[65536];
    for (ssize_t n; (n = ::read(peer, buffer, sizeof buffer)) > 0;) {
        if (::write(fileno(out), buffer, static_cast<std::size_t>(n)) != n)
            return 2;
    }
    std::fclose(out);
    return 0;
}

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Sends count 16-byte messages at kRate, one write each, paced against the clock.
void Send(quint16 port, int count) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address = Loopback(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("connect");
        std::exit(2);
    }
    unsigned char message[16] = {0x0C, 0x41, 0, 0, 0x10, '0', '0', '0', '1', '0', '0', '1', '1', '0', 0, 0};
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(1000000LL * i / kRate));
        message[14] = static_cast<unsigned char>(i);
        if (::send(fd, message, sizeof message, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof message))
            std::exit(2);
    }
    ::close(fd);
}

long PeakKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

double ChildCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Result {
    double cpuMicrosPerArrival = 0;
    long peakKb = 0;
};

// One child fed count messages: its CPU per message and its peak resident size.
Result Measure(const QStringList& command, int count, quint16 port) {
    QProcess child;
    child.setStandardOutputFile(
        QProcess::nullDevice()); // the lines themselves: a pipe nobody reads would fill
    const double before = ChildCpuSeconds();
    child.start(command.first(), command.mid(1));
    child.waitForStarted();
    // Both say on standard error when they listen.
    QElapsedTimer wait;
    wait.start();
    QByteArray said;
    while (!said.contains("listening") && !wait.hasExpired(10000)) {
        child.waitForReadyRead(100);
        said += child.readAllStandardError();
    }
    Send(port, count);
    // Give the child time to take what is in flight, then read its peak before it stops.
    QThread::msleep(300);
    Result result;
    result.peakKb = PeakKb(child.processId());
    child.terminate();
    child.waitForFinished(120000);
    result.cpuMicrosPerArrival = (ChildCpuSeconds() - before) * 1e6 / count;
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--copy") == 0)
        return RunCopy(static_cast<quint16>(std::atoi(argv[2])), argv[3]);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("record --out at %d messages a second (16 bytes each), CPU per arrival, %d runs\n", kRate,
                kRuns);
    for (const int count : {10000, 500000}) {
        std::vector<double> record, copy, ratio;
        long recordPeak = 0;
        for (int run = 0; run < kRuns; ++run) {
            const quint16 port = FreePort();
            const Result r = Measure({QStringLiteral(TARC_EMULATOR_PATH), "record", "--port",
                                      QString::number(port), "--out", dir.filePath("capture.txt")},
                                     count, port);
            // The copy process is this program in its other role, started on the same port afresh.
            const quint16 copyPort = FreePort();
            const Result c = Measure({self, "--copy", QString::number(copyPort), dir.filePath("copy.bin")},
                                     count, copyPort);
            record.push_back(r.cpuMicrosPerArrival);
            copy.push_back(c.cpuMicrosPerArrival);
            ratio.push_back(r.cpuMicrosPerArrival / c.cpuMicrosPerArrival);
            recordPeak = std::max(recordPeak, r.peakKb);
            QFile::remove(dir.filePath("capture.txt"));
        }
        const auto minMedian = [](std::vector<double> v) {
            std::sort(v.begin(), v.end());
            return std::pair{v.front(), v[v.size() / 2]};
        };
        const auto [rMin, rMed] = minMedian(record);
        const auto [cMin, cMed] = minMedian(copy);
        const auto [qMin, qMed] = minMedian(ratio);
        std::printf("%7d arrivals: record %.2f us min, %.2f us median; byte copy %.2f / %.2f us; "
                    "ratio %.1f / %.1f; peak resident of record %ld kB\n",
                    count, rMin, rMed, cMin, cMed, qMin, qMed, recordPeak);
        std::fflush(stdout);
    }
    return 0;
}
