// Keeping up: the shown main window against the headless recorder, both fed by the same paced sender
// (a separate process, one 16-byte message a write, TCP_NODELAY) at 1,000, 4,000 and 10,000 messages a
// second. For each it gives the CPU the receiving process spent from the connection to the peer's close,
// how many reads the messages came in (1.0 a message: none merged) and, for the window, the worst
// lateness of a 2 ms timer in its event loop. The recorder is used through its command line only.
//
//   bench_keepup [--seconds S] [--runs N] [--rates 1000,4000,10000]
//   bench_keepup --screen [--rates 10000] [--seconds 20]   the window only, on the real display
//   bench_keepup --send HOST PORT RATE SECONDS            the paced sender (started by the above)
#include "MinMedian.h"
#include "app/Prompts.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

const unsigned char kMessage[16] = {0x0C, 0x41, 0x00, 0x00, 0x10, 0x30, 0x30, 0x30,
                                    0x33, 0x30, 0x31, 0x35, 0x31, 0x30, 0x00, 0x00};
// The sender waits this long after connecting, so that the connection's own handling is over before
// the receiver's CPU is first read.
constexpr long kSettleNs = 300'000'000;

double CpuSeconds(pid_t pid) {
    clockid_t clock;
    timespec ts{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &ts) != 0)
        return -1;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "?";
    return file.readAll().trimmed().toStdString();
}

void AddNs(timespec& t, long ns) {
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1'000'000'000) {
        t.tv_nsec -= 1'000'000'000;
        ++t.tv_sec;
    }
}

// One write per message at absolute deadlines; a sender that falls behind writes at once, as a real
// peer with a queue would, and says how far behind it fell.
int RunSender(const char* host, int port, int rate, double seconds) {
    // The peer stands for another machine: builds running beside the benchmark should not bunch its
    // writes. A real-time priority needs root; without it the run goes on and reports how far behind
    // the sender fell.
    sched_param realTime{};
    realTime.sched_priority = 10;
    sched_setscheduler(0, SCHED_FIFO, &realTime);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host, &address.sin_addr);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("send: connect");
        return 2;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    AddNs(deadline, kSettleNs);
    const long period = 1'000'000'000L / rate;
    const long count = static_cast<long>(rate * seconds);
    double worstBehindMs = 0;
    for (long i = 0; i < count; ++i) {
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        worstBehindMs = std::max(worstBehindMs, (now.tv_sec - deadline.tv_sec) * 1e3 +
                                                    (now.tv_nsec - deadline.tv_nsec) / 1e6);
        std::size_t sent = 0;
        while (sent < sizeof kMessage) {
            const ssize_t n = write(fd, kMessage + sent, sizeof kMessage - sent);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                std::perror("send: write");
                return 2;
            }
            sent += static_cast<std::size_t>(n);
        }
        AddNs(deadline, period);
    }
    close(fd);
    std::printf("%.3f\n", worstBehindMs);
    return 0;
}

// The bytes a capture line holds: the hex pairs after "[date] [time]".
int BytesOfLine(std::string_view line) {
    const std::size_t first = line.find(']');
    const std::size_t second = first == std::string_view::npos ? first : line.find(']', first + 1);
    if (second == std::string_view::npos || line.size() <= second + 1)
        return 0;
    return static_cast<int>((line.size() - second) / 3);
}

struct Result {
    double cpuSeconds = 0;
    long messages = 0;
    long reads = 0;
    long ownReads = 0; // reads that hold exactly one message
    double worstLateMs = -1;
    double senderBehindMs = 0;
};

struct NoPrompts : Prompts {
    bool Ask(QWidget*, const QString&, const QString&) override { return true; }
    void Warn(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "warning: %s\n", qPrintable(text));
    }
    QString ChooseFile(QWidget*, bool, const QString&) override { return {}; }
};

QProcess* StartSender(QObject* parent, quint16 port, int rate, double seconds) {
    auto* sender = new QProcess(parent);
    sender->setProgram(QCoreApplication::applicationFilePath());
    sender->setArguments({QStringLiteral("--send"), QStringLiteral("127.0.0.1"), QString::number(port),
                          QString::number(rate), QString::number(seconds)});
    sender->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sender->start();
    return sender;
}

double SenderBehind(QProcess* sender) {
    sender->waitForFinished(10000);
    return sender->readAllStandardOutput().trimmed().toDouble();
}

Result RunWindow(int rate, double seconds, bool onScreen) {
    Result result;
    result.messages = static_cast<long>(rate * seconds);
    NoPrompts prompts;
    frmMain window;
    window.SetPrompts(&prompts);
    window.SetLocalPortForTesting(0);
    window.show();
    QElapsedTimer exposed;
    exposed.start();
    while (exposed.elapsed() < 300)
        QApplication::processEvents();
    // The steady state: a full list, so every arrival also trims one line.
    for (int i = 0; i < 5000; ++i)
        window.RecordArrival(reinterpret_cast<const char*>(kMessage), sizeof kMessage);
    QApplication::processEvents();

    QObject::connect(&window.CaptureList(), &QAbstractItemModel::rowsInserted, &window, [&] {
        const int bytes = BytesOfLine(window.CaptureList().Line(0));
        ++result.reads;
        if (bytes == static_cast<int>(sizeof kMessage))
            ++result.ownReads;
    });
    window.findChild<QPushButton*>(QStringLiteral("btnAction_0"))->click();
    QProcess* sender = StartSender(&window, window.ListeningPort(), rate, seconds);

    // The 2 ms timer is also the watch on the connection: its first tick in state 2 starts the count,
    // the first tick back in state 0 (the peer's close handled) ends it.
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(2);
    QElapsedTimer sinceTick;
    bool connected = false;
    double cpuStart = 0;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const int state = window.ConnectState();
        if (!connected && state == 2) {
            connected = true;
            cpuStart = CpuSeconds(0);
            result.worstLateMs = 0;
            sinceTick.start();
            return;
        }
        if (!connected)
            return;
        result.worstLateMs = std::max(result.worstLateMs, sinceTick.nsecsElapsed() / 1e6 - 2.0);
        sinceTick.start();
        if (state == 0) {
            result.cpuSeconds = CpuSeconds(0) - cpuStart;
            loop.quit();
        }
    });
    QTimer::singleShot(static_cast<int>(seconds * 1000) + 20000, &loop, [&] {
        std::fprintf(stderr, "window run at %d/s timed out\n", rate);
        loop.exit(1);
    });
    tick.start();
    if (onScreen)
        std::fprintf(stderr, "sending %d messages a second for %.0f s\n", rate, seconds);
    loop.exec();
    result.senderBehindMs = SenderBehind(sender);
    return result;
}

Result RunRecorder(int rate, double seconds, const QString& outPath) {
    Result result;
    result.messages = static_cast<long>(rate * seconds);
    QProcess recorder;
    recorder.setProgram(QStringLiteral(TARC_EMULATOR));
    recorder.setArguments({QStringLiteral("record"), QStringLiteral("--port"), QStringLiteral("0")});
    recorder.setStandardOutputFile(outPath);
    recorder.setReadChannel(QProcess::StandardError);
    recorder.start();
    if (!recorder.waitForStarted(5000))
        return result;
    const pid_t pid = static_cast<pid_t>(recorder.processId());
    QByteArray errors;
    auto waitFor = [&](const QByteArray& text) {
        while (!errors.contains(text)) {
            if (!recorder.waitForReadyRead(20000))
                return false;
            errors += recorder.readAllStandardError();
        }
        return true;
    };
    static const QRegularExpression listening(QStringLiteral("listening on port (\\d+)"));
    if (!waitFor("listening on port") || !waitFor("\n"))
        return result;
    const quint16 port = listening.match(QString::fromUtf8(errors)).captured(1).toUShort();
    QProcess* sender = StartSender(&recorder, port, rate, seconds);
    if (!waitFor("connection from"))
        return result;
    const double cpuStart = CpuSeconds(pid);
    if (!waitFor("disconnection from"))
        return result;
    result.cpuSeconds = CpuSeconds(pid) - cpuStart;
    result.senderBehindMs = SenderBehind(sender);
    recorder.terminate();
    recorder.waitForFinished(5000);

    QFile out(outPath);
    if (out.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = out.readAll().split('\n');
        for (const QByteArray& line : lines) {
            if (line.isEmpty())
                continue;
            ++result.reads;
            if (BytesOfLine(std::string_view(line.constData(), static_cast<std::size_t>(line.size()))) ==
                static_cast<int>(sizeof kMessage))
                ++result.ownReads;
        }
    }
    return result;
}

std::vector<int> ParseRates(const QString& text) {
    std::vector<int> rates;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts))
        rates.push_back(part.toInt());
    return rates;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 6 && std::strcmp(argv[1], "--send") == 0)
        return RunSender(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atof(argv[5]));
    bool onScreen = false;
    for (int i = 1; i < argc; ++i)
        onScreen = onScreen || std::strcmp(argv[i], "--screen") == 0;
    if (!onScreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    double seconds = onScreen ? 20 : 3;
    int runs = 3;
    std::vector<int> rates = onScreen ? std::vector<int>{10000} : std::vector<int>{1000, 4000, 10000};
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--seconds")
            seconds = args[i + 1].toDouble();
        else if (args[i] == u"--runs")
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == u"--rates")
            rates = ParseRates(args[i + 1]);
    }
    if (onScreen) {
        for (const int rate : rates) {
            const Result w = RunWindow(rate, seconds, true);
            std::printf("window at %d/s: %.1f %% of a core, %.3f reads a message, worst 2 ms timer lateness "
                        "%.2f ms\n",
                        rate, 100 * w.cpuSeconds / seconds, double(w.reads) / w.messages, w.worstLateMs);
        }
        return 0;
    }

    QTemporaryDir dir;
    std::printf("load average before: %s\n", LoadAverage().c_str());
    std::printf("%d runs of %.1f s at each rate; CPU is over the connection (0.3 s idle, then the "
                "messages), min / median of the runs\n",
                runs, seconds);
    bool targetsMet = true;
    for (const int rate : rates) {
        std::vector<double> windowCpu, recorderCpu, ratio, windowReads, recorderReads, ownShare,
            recorderOwnShare, late, behind;
        for (int run = 0; run < runs; ++run) {
            const Result w = RunWindow(rate, seconds, false);
            const Result r = RunRecorder(rate, seconds, dir.filePath(QStringLiteral("record.txt")));
            windowCpu.push_back(100 * w.cpuSeconds / seconds);
            recorderCpu.push_back(100 * r.cpuSeconds / seconds);
            ratio.push_back(w.cpuSeconds / r.cpuSeconds);
            windowReads.push_back(double(w.reads) / w.messages);
            recorderReads.push_back(double(r.reads) / r.messages);
            ownShare.push_back(100.0 * double(w.ownReads) / w.messages);
            recorderOwnShare.push_back(100.0 * double(r.ownReads) / r.messages);
            late.push_back(w.worstLateMs);
            behind.push_back(std::max(w.senderBehindMs, r.senderBehindMs));
        }
        const MinMedian wc = Of(windowCpu), rc = Of(recorderCpu), q = Of(ratio), wr = Of(windowReads),
                        rr = Of(recorderReads), own = Of(ownShare), rown = Of(recorderOwnShare), l = Of(late),
                        b = Of(behind);
        std::printf(
            "%6d/s  window CPU %5.1f / %5.1f %% of a core   recorder %5.1f / %5.1f %%   ratio %4.2f / "
            "%4.2fx (target <= 3x)\n",
            rate, wc.min, wc.median, rc.min, rc.median, q.min, q.median);
        std::printf("         reads a message: window %.3f / %.3f, recorder %.3f / %.3f; messages in reads "
                    "of their own: window %.1f / %.1f %%, recorder %.1f / %.1f %%\n",
                    wr.min, wr.median, rr.min, rr.median, own.min, own.median, rown.min, rown.median);
        std::printf(
            "         worst 2 ms timer lateness in the window %.2f / %.2f ms (target < 20 ms); sender "
            "behind its schedule at worst %.2f / %.2f ms\n",
            l.min, l.median, b.min, b.median);
        const double worstRatio = *std::max_element(ratio.begin(), ratio.end());
        const double worstLate = *std::max_element(late.begin(), late.end());
        targetsMet = targetsMet && worstRatio <= 3.0 && worstLate < 20.0 && (rate != 4000 || own.min >= 95.0);
    }
    std::printf("load average after: %s\n", LoadAverage().c_str());
    std::printf("targets %s in every run\n", targetsMet ? "met" : "NOT met");
    return 0;
}
