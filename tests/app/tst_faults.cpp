// Faults from the peer and from files, on real sockets on 127.0.0.1 and real files: whatever happens,
// the tool goes on working and keeps what it has recorded.
#include "AppTestSupport.h"

#include "common/modCommon.h"
#include "link/RecoveryJournal.h"
#include "link/TcpLink.h"
#include "support/TestFiles.h"
#include "views/frmDumpList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of live heap bytes (GCC ships no header that declares it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr quint16 kPort = frmMain::kLocalPort;
const QRegularExpression kLineShape(QStringLiteral(R"(^\[[^\]\r\n]+\] \[[^\]\r\n]+\]( [0-9A-F]{2})*$)"));

int OpenDescriptors() {
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System).size());
}

// The resident size in kB. Under AddressSanitizer it also counts the freed memory held in quarantine
// (hundreds of megabytes after a flood), so it is bounded only without it.
qint64 ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    }
    return -1;
}
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSizeBounded = false;
#else
constexpr bool kResidentSizeBounded = true;
#endif

// Live heap bytes, exact where the resident size moves in pages: glibc's count, or under
// AddressSanitizer, which replaces malloc, its own.
qint64 HeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
#endif
}

// Runs the event loop until the condition holds. Unlike QTest::qWaitFor it does not sleep between
// rounds, so five hundred connections take as long as the work itself; deferred deletes run as in
// the application's own loop, so the descriptors they hold are released.
template <typename Condition> bool WaitFor(Condition condition, int milliseconds = 10000) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // bounds each blocking round so the deadline is seen
    wake.start(10);
    while (!condition()) {
        if (clock.hasExpired(milliseconds))
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// The byte at stream offset k of a flood: consecutive values modulo a prime, so any stretch of a read
// shows whether bytes were lost or reordered within it.
constexpr int kPeriod = 251;

// A peer on a thread of its own that writes as fast as the kernel takes the bytes, then closes.
class FloodPeer {
public:
    explicit FloodPeer(std::size_t total) : m_thread([this, total] { Run(total); }) {}
    ~FloodPeer() { m_thread.join(); }
    std::size_t Sent() const { return m_sent; }
    bool Done() const { return m_done; }

private:
    void Run(std::size_t total) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kPort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval limit{10, 0}; // a window that stops reading must not hang the test
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            std::vector<char> pattern(kPeriod * 256);
            for (std::size_t i = 0; i < pattern.size(); ++i)
                pattern[i] = static_cast<char>(i % kPeriod);
            const std::size_t chunk = pattern.size() - kPeriod;
            while (m_sent < total) {
                const ssize_t n = ::send(fd, pattern.data() + m_sent % kPeriod,
                                         std::min(chunk, total - m_sent), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                m_sent += static_cast<std::size_t>(n);
            }
        }
        ::close(fd);
        m_done = true;
    }

    std::atomic<std::size_t> m_sent = 0;
    std::atomic<bool> m_done = false;
    std::thread m_thread;
};

// Answers the file dialogs like FakePrompts, and can delete the chosen file as the dialog closes,
// the way another program might between the operator's choice and the read.
struct VanishingPrompts : FakePrompts {
    bool vanish = false;
    QString ChooseFile(QWidget* parent, bool save, const QString& lastName) override {
        const QString name = FakePrompts::ChooseFile(parent, save, lastName);
        if (vanish)
            QFile::remove(name);
        return name;
    }
};

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray Hex(int value) {
    return QByteArray::number(value, 16).rightJustified(4, '0');
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmMain> window;
    VanishingPrompts prompts;
    QTemporaryDir dir;

    void Press(int index) { FindButton(*window, QStringLiteral("btnAction_%1").arg(index))->click(); }
    int Count() const { return window->CaptureList().Count(); }
    const CaptureLines& Lines() const { return window->CaptureList().Lines(); }
    QString BytesOf(std::string_view line) const { return Text(modCommon::ByteText(line)); }
    MessageTokens TokensOf(int row) const {
        return SplitMessage(modCommon::ByteText(window->CaptureList().Line(row)));
    }
    bool Connect(QTcpSocket& client) {
        client.connectToHost(QHostAddress::LocalHost, kPort);
        return client.waitForConnected(2000) && WaitFor([&] { return window->ConnectState() == 2; });
    }
    // The tool still listens, accepts and records, and saves everything it holds.
    void ExpectStillWorking() {
        const CaptureLines before = Lines();
        // A list longer than the limit (after a Load) loses its bottom line to the arrival.
        const std::size_t kept = before.size() >= kMaxLines ? before.size() - 1 : before.size();
        Press(0);
        QCOMPARE(window->ConnectState(), 1);
        QTcpSocket client;
        QVERIFY(Connect(client));
        // Bytes no other test records, so their line cannot be mistaken for an older one.
        client.write(QByteArray::fromHex("FEDCBA98"));
        QVERIFY(WaitFor(
            [&] { return !Lines().empty() && BytesOf(Lines().front()) == QStringLiteral("FE DC BA 98"); }));
        QCOMPARE(Lines().size(), kept + 1);
        QVERIFY(std::equal(before.begin(), std::next(before.begin(), static_cast<std::ptrdiff_t>(kept)),
                           std::next(Lines().begin())));
        client.disconnectFromHost();
        QVERIFY(WaitFor([&] { return window->ConnectState() == 0; }));

        prompts.fileName = dir.filePath(QStringLiteral("after.txt"));
        prompts.vanish = false;
        FindButton(*window, "btnSaveCapture")->click();
        QCOMPARE(prompts.warned, QStringList{});
        QCOMPARE(test_files::ReadAll(prompts.fileName).count("\r\n"), Count() + 1);
    }

private slots:
    void initTestCase() { UseTestSettings(); }
    void init() {
        prompts = VanishingPrompts();
        window = OpenWindow(prompts);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    void aPeerThatResetsTheConnection() {
        RecordHex(*window, "05");
        Press(0);
        QTcpSocket client;
        QVERIFY(Connect(client));
        client.write(QByteArray::fromHex("0c41000010"));
        QVERIFY(WaitFor([&] { return Count() == 2; }));
        // Linger 0: closing sends a reset instead of the orderly end of the stream.
        const linger reset{1, 0};
        QCOMPARE(::setsockopt(static_cast<int>(client.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                              sizeof reset),
                 0);
        client.abort();
        QVERIFY(WaitFor([&] { return window->ConnectState() == 0; }));
        QVERIFY(FindButton(*window, "btnAction_0")->isEnabled());
        QVERIFY(!FindButton(*window, "btnAction_1")->isEnabled());
        QCOMPARE(Count(), 2);
        QCOMPARE(BytesOf(Lines()[0]), QStringLiteral("0C 41 00 00 10"));
        QCOMPARE(BytesOf(Lines()[1]), QStringLiteral("05"));
        ExpectStillWorking();
    }

    // The window going away while connected (a test's end, or the application's) is not the peer's
    // close: reporting it would run the Stop action on a window already half destroyed.
    void closingTheWindowWhileConnectedReportsNoPeerClose() {
        auto* winsock = window->findChild<TcpLink*>();
        QVERIFY(winsock);
        int peerCloses = 0;
        connect(winsock, &TcpLink::PeerClose, this, [&] { ++peerCloses; });
        Press(0);
        QTcpSocket client;
        QVERIFY(Connect(client));
        window.reset();
        QCOMPARE(peerCloses, 0);
        QVERIFY(WaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
    }

    void aPeerThatFloodsFiftyMegabytes() {
        RecordHex(*window, "05");
        int arrivals = 0;
        // Every line must go on exactly where the one before it ended: together they are the stream.
        std::size_t received = 0;
        bool continuous = true;
        connect(&window->CaptureList(), &QAbstractItemModel::rowsInserted, window.get(), [&] {
            ++arrivals;
            const MessageTokens bytes = TokensOf(0);
            for (const std::string_view byte : bytes)
                continuous = continuous && modCommon::HexValue(byte) == received++ % kPeriod;
        });
        // The longest time the event loop was away: what the operator feels as a frozen window.
        QElapsedTimer sinceTick;
        qint64 longestStall = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this,
                [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
        const qint64 residentBefore = ResidentKb();
        const qint64 heapBefore = HeapBytes();
        constexpr std::size_t kTotal = 50u << 20;
        Press(0);
        {
            FloodPeer peer(kTotal);
            sinceTick.start();
            tick.start(5);
            QVERIFY(WaitFor([&] { return peer.Done() && window->ConnectState() == 0; }, 60000));
            tick.stop();
            QCOMPARE(peer.Sent(), kTotal); // the window read it all, the peer was never stuck
        }
        const qint64 residentGrowth = ResidentKb() - residentBefore;
        const qint64 heapGrowth = (HeapBytes() - heapBefore) / 1024;
        qInfo("50 MB flood: %d lines, longest stall %lld ms, growth: resident %lld kB, heap %lld kB",
              arrivals, static_cast<long long>(longestStall), static_cast<long long>(residentGrowth),
              static_cast<long long>(heapGrowth));

        QVERIFY(arrivals > 0);
        QVERIFY2(continuous, "a line does not go on where the one before it ended");
        QCOMPARE(received, kTotal);
        QCOMPARE(Count(), std::min(1 + arrivals, static_cast<int>(kMaxLines)));
        if (1 + arrivals <= static_cast<int>(kMaxLines))
            QCOMPARE(BytesOf(Lines().back()), QStringLiteral("05"));
        for (int row = 0; row < Count() - (1 + arrivals <= static_cast<int>(kMaxLines) ? 1 : 0); ++row) {
            const std::string_view line = Lines()[static_cast<std::size_t>(row)];
            QVERIFY2(kLineShape.match(Text(line)).hasMatch(), qPrintable(Text(line)));
            const MessageTokens bytes = TokensOf(row);
            QVERIFY(!bytes.empty() && bytes.size() <= kMaxLineBytes);
            for (std::size_t k = 1; k < bytes.size(); ++k) {
                QCOMPARE(static_cast<int>(modCommon::HexValue(bytes[k])),
                         (static_cast<int>(modCommon::HexValue(bytes[k - 1])) + 1) % kPeriod);
            }
        }
        QVERIFY2(longestStall < 1000, "the window froze during the flood");
        // The list's lines and one read buffer, not the 50 MB.
        QVERIFY2(heapGrowth < 16 * 1024, "the heap grew with the flood instead of staying bounded");
        if (kResidentSizeBounded)
            QVERIFY2(residentGrowth < 32 * 1024, "the resident size grew with the flood");
        ExpectStillWorking();
    }

    void fiveHundredConnectionsLeakNothing() {
        auto cycle = [&](int i) {
            Press(0);
            QTcpSocket client;
            if (!Connect(client))
                return false;
            client.write(QByteArray::fromHex(Hex(i)));
            if (!client.waitForBytesWritten(2000) || !WaitFor([&] { return Count() == i + 1; }))
                return false;
            client.disconnectFromHost();
            return WaitFor([&] { return window->ConnectState() == 0; });
        };
        // One round first, so that what Qt sets up once for sockets is not counted as a leak.
        QVERIFY(cycle(0));
        const int descriptorsBefore = OpenDescriptors();
        const qint64 residentBefore = ResidentKb();
        const qint64 heapBefore = HeapBytes();
        constexpr int kCycles = 500;
        for (int i = 1; i <= kCycles; ++i)
            QVERIFY2(cycle(i), qPrintable(QStringLiteral("connection %1").arg(i)));
        const int descriptorsAfter = OpenDescriptors();
        const qint64 residentGrowth = ResidentKb() - residentBefore;
        const qint64 heapGrowth = HeapBytes() - heapBefore;
        qInfo("500 connections: descriptors %d -> %d, growth: resident %lld kB, heap %lld bytes",
              descriptorsBefore, descriptorsAfter, static_cast<long long>(residentGrowth),
              static_cast<long long>(heapGrowth));

        QCOMPARE(descriptorsAfter, descriptorsBefore);
        // Each round adds one short line to the list; a socket object left behind would add kilobytes.
        QVERIFY2(heapGrowth < kCycles * 512, "the heap grew with every connection");
        QCOMPARE(Count(), kCycles + 1);
        for (int i = 0; i <= kCycles; ++i)
            QCOMPARE(BytesOf(Lines()[kCycles - i]),
                     QString::fromLatin1(QByteArray::fromHex(Hex(i)).toHex(' ').toUpper()));
        ExpectStillWorking();
    }

    // A window killed mid-recording gives its lines back at the next start; the journal is retired once
    // they are saved, and the questions that would lose lines say how many.
    void aKilledWindowGivesItsLinesBack() {
        QTemporaryDir home; // the journals live under the home folder: a fresh one for this test
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", oldHome); });
        QVERIFY(RecoveryJournal().FindLeftovers().empty());

        QProcess child;
        child.start(QStringLiteral(WINDOW_CHILD_PATH), {});
        QVERIFY(child.waitForStarted(10000));
        QVERIFY(WaitFor([&] { return child.canReadLine() || child.state() != QProcess::Running; }));
        QCOMPARE(child.readLine(), QByteArray("listening\n"));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, kPort);
        QVERIFY(client.waitForConnected(2000));
        const QList<QByteArray> sent = {"0441000011000000", "0C4100001030303031303031313000", "05"};
        for (int i = 0; i < sent.size(); ++i) {
            client.write(QByteArray::fromHex(sent[i]));
            QVERIFY(WaitFor([&] { return child.canReadLine(); }));
            QCOMPARE(child.readLine(), QByteArray("line\n"));
        }
        // Every line is on the disk within the flush interval; then the process dies without a word.
        QTest::qWait(RecoveryJournal::kFlushMs + 500);
        child.kill();
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        window->OfferRecovery();
        QCOMPARE(prompts.asked, QStringList{"Restore the lines of the last recording?"});
        QVERIFY(prompts.details.last().startsWith("3 lines were recorded"));
        QCOMPARE(Count(), 3);
        for (int i = 0; i < sent.size(); ++i)
            QCOMPARE(BytesOf(Lines()[static_cast<std::size_t>(2 - i)]),
                     QString::fromLatin1(QByteArray::fromHex(sent[i]).toHex(' ').toUpper()));
        QVERIFY(RecoveryJournal().FindLeftovers().empty()); // taken over, not offered twice

        // Still unsaved: Exit and Clear say how many; a Save retires the journal.
        prompts.answer = false;
        FindButton(*window, "btnClearCapture")->click();
        QCOMPARE(prompts.details.last(), QStringLiteral("3 lines have not been saved."));
        prompts.fileName = dir.filePath(QStringLiteral("restored.txt"));
        FindButton(*window, "btnSaveCapture")->click();
        QCOMPARE(window->Recovery().Unsaved(), 0);
        window->close();
        QCOMPARE(prompts.details.last(), QString());
        QVERIFY(QDir(RecoveryJournal::Folder()).entryList({"*.journal"}, QDir::Files).isEmpty());
    }

    // A flood past the list's limit: the journal never holds much more than the list, and after a crash
    // (its journal left behind) a restore gives back exactly the list's lines, marked at once.
    void journalStaysAsLargeAsTheList() {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", oldHome); });
        Press(0);
        QTcpSocket client;
        QVERIFY(Connect(client));
        QByteArray last; // the journal's newest line
        const auto journalLines = [&] {
            qint64 lines = 0;
            for (const QFileInfo& file : QDir(RecoveryJournal::Folder()).entryInfoList({"*.journal"})) {
                QFile journal(file.filePath());
                if (!journal.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray text = journal.readAll();
                lines += text.count('\n');
                last = text.left(text.size() - 1).split('\n').last();
            }
            return lines;
        };
        constexpr int kSent = 5 * static_cast<int>(kMaxLines);
        qint64 most = 0;
        for (int sent = 1; sent <= kSent; ++sent) {
            client.write(QByteArray::fromHex("0441000011000000") + QByteArray::number(sent));
            QVERIFY(WaitFor([&] { return window->Recovery().Unsaved() == sent; }));
            if (sent % 500 == 0)
                most = std::max(most, journalLines());
        }
        // Twice the list, and what comes while a compaction syncs its file on a busy disk.
        QVERIFY2(most <= 2 * static_cast<qint64>(kMaxLines) + 1000, qPrintable(QString::number(most)));
        const CaptureLines shown = Lines();
        QVERIFY(WaitFor([&] {
            return journalLines() >= static_cast<qint64>(shown.size()) &&
                   last == QByteArray(shown.front().data(), static_cast<qsizetype>(shown.front().size()));
        }));
        // The crash: the journal stays, as if its window had died.
        const QStringList journals = QDir(RecoveryJournal::Folder()).entryList({"*.journal"});
        QCOMPARE(journals.size(), 1);
        const QString left =
            RecoveryJournal::Folder() + QStringLiteral("/recovery-999999-") + journals[0].section(u'-', 2);
        QVERIFY(QFile::copy(RecoveryJournal::Folder() + u'/' + journals[0], left));
        client.disconnectFromHost();
        prompts.answer = true;
        FindButton(*window, "btnClearCapture")->click(); // the list and its journal go
        QCOMPARE(Count(), 0);
        window->OfferRecovery();
        QCOMPARE(Lines(), shown);
        QCOMPARE(window->CaptureList().MarkCounts().unknown, 0);
        QVERIFY(!QFile::exists(left));
    }

    // Only a line far longer than any the tool records is cut for the list, and never inside a character.
    void longLinesAreShownCut_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shown");
        const qsizetype max = static_cast<qsizetype>(CaptureListModel::kMaxShownBytes);
        QTest::newRow("at the limit") << QByteArray(max, 'A') << QString(max, u'A');
        QTest::newRow("one byte over") << QByteArray(max + 1, 'A') << QString(max, u'A') + QChar(0x2026);
        // Three-byte characters: the limit falls one byte into a character, which is left out whole.
        QTest::newRow("inside a character")
            << QByteArray("\xE2\x82\xAC").repeated(2000) << QString(max / 3, QChar(0x20AC)) + QChar(0x2026);
    }
    void longLinesAreShownCut() {
        QFETCH(QByteArray, line);
        QFETCH(QString, shown);
        QCOMPARE(CaptureListModel::DisplayText(std::string_view(line.constData(), line.size())), shown);
    }

    void filesThatAreNotWhatTheySeem_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("loadedLines"); // -1: the file is refused
        QTest::addColumn<bool>("vanish");

        QByteArray garbage(1 << 20, '\0');
        quint32 state = 0x9E3779B9u;
        for (char& byte : garbage) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<char>(state >> 24);
        }
        const QByteArray mark = "[mm/dd/yyyy] [hh:mm:ss]\r\n";
        // With every CR made an LF, each LF ends exactly one line.
        const QByteArray garbageLines = mark + QByteArray(garbage).replace('\r', '\n');
        const int garbageLineCount =
            static_cast<int>(garbageLines.count('\n')) - (garbageLines.endsWith('\n') ? 1 : 0);
        QTest::newRow("binary garbage") << QByteArray("\x01\x7F\xFE") + garbage << -1 << false;
        QTest::newRow("garbage after the mark") << garbageLines << garbageLineCount << false;

        QByteArray longLine = mark + "[11/22/2012] [10:15:30] 4C 41 00 00 20 30 30 30 31";
        longLine.reserve((qsizetype{3} << 20) + 64);
        while (longLine.size() < qsizetype{3} << 20)
            longLine += " C3";
        QTest::newRow("one 3 MB line") << longLine + "\r\n" << 1 << false;

        QByteArray manyLines = mark;
        manyLines.reserve(2000000 * 36);
        for (int i = 0; i < 2000000; ++i)
            manyLines += "[11/22/2012] [10:15:30] " + QByteArray::number(i, 16).toUpper() + "\r\n";
        QTest::newRow("2,000,000 lines") << manyLines << 2000000 << false;

        QTest::newRow("a file that vanishes") << mark << -1 << true;
    }
    void filesThatAreNotWhatTheySeem() {
        QFETCH(QByteArray, content);
        QFETCH(int, loadedLines);
        QFETCH(bool, vanish);

        RecordHex(*window, "0441000011000000");
        RecordHex(*window, "0c41000010");
        ClickRow(*window, 1);
        const DecodeTable table = window->Table();
        const CaptureLines before = Lines();
        prompts.fileName = dir.filePath(QStringLiteral("fault.txt"));
        QVERIFY(test_files::WriteFile(prompts.fileName, content));
        prompts.vanish = vanish;

        FindButton(*window, "btnLoadCapture")->click();
        if (loadedLines < 0) {
            QCOMPARE(prompts.warned, QStringList{"Unable to load the file."});
            QCOMPARE(Lines(), before);
            QCOMPARE(window->Table(), table);
            prompts.warned.clear();
        } else {
            QCOMPARE(prompts.warned, QStringList{});
            QCOMPARE(Count(), loadedLines);
            for (const std::string_view line : Lines())
                QVERIFY(line.find_first_of("\r\n") == std::string::npos);
            // Select, dump and open the floors of what came in, the first line and the last.
            CaptureListView* list = CaptureView(*window);
            // Measured on the cut text: the whole 3 MB line would be tens of millions of pixels wide.
            QVERIFY(list->ContentWidth() < 1000000);
            for (int row : {0, Count() - 1}) {
                list->viewport()->repaint();
                ClickRow(*window, row);
                QVERIFY(window->Table().lblHeader[0].visible);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(row).center());
                QVERIFY(window->DumpWindow()->isVisible());
                if (QPushButton* details = FindButton(*window, "btnDetailFloors"); details->isVisible())
                    details->click();
            }
        }
        QFile::remove(prompts.fileName);
        ExpectStillWorking();
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
