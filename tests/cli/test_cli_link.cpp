// tarc-emulator record and send end to end: real processes on 127.0.0.1, a real client, real files.
#include "CliProcess.h"
#include "link/CaptureFileIO.h"
#include "report/PlanMatcher.h"
#include "support/CaptureBuilder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <sys/stat.h>

namespace {

constexpr int kWaitMs = 15000;

// A recorder running in the background, its output collected as it comes.
class RecorderProcess {
public:
    bool Start(quint16 port, const QStringList& extra = {}) {
        m_process.start(CliProgram(), QStringList{"record", "--port", QString::number(port)} + extra);
        return QTest::qWaitFor([this] { return err().contains("listening on port"); }, kWaitMs);
    }
    ~RecorderProcess() {
        m_process.kill();
        m_process.waitForFinished();
    }
    QByteArray out() { return m_out += m_process.readAllStandardOutput(); }
    QByteArray err() { return m_err += m_process.readAllStandardError(); }
    QStringList Lines() { return QString::fromUtf8(out()).split('\n', Qt::SkipEmptyParts); }
    bool WaitForLines(qsizetype count) {
        return QTest::qWaitFor([&] { return Lines().size() >= count; }, kWaitMs);
    }
    // The exit status once the process ended by itself or after a signal, -1 when it crashed.
    int Finish() {
        if (!m_process.waitForFinished(kWaitMs))
            return -2;
        out();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_out;
    QByteArray m_err;
};

bool Connect(QTcpSocket& client, quint16 port, int timeoutMs = kWaitMs) {
    client.connectToHost(QHostAddress::LocalHost, port);
    return client.waitForConnected(timeoutMs);
}

QStringList ByteTexts(const QStringList& lines) {
    QStringList texts;
    for (const QString& line : lines)
        texts << line.section("] ", 2);
    return texts;
}

// The capture lines as LoadCaptureFile reads them, newest first; a file it refuses gives one line no
// recorder prints, so a comparison with recorded lines fails.
QStringList FileLines(const QString& path) {
    const LoadedCaptureFile loaded = LoadCaptureFile(path);
    if (!loaded.readOk || loaded.parsed.status != ParsedCaptureFile::Status::Ok)
        return {"not a valid capture file"};
    QStringList lines;
    for (const std::string_view line : loaded.parsed.lines)
        lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    return lines;
}

QStringList Reversed(QStringList lines) {
    std::reverse(lines.begin(), lines.end());
    return lines;
}

} // namespace

class TestCliLink : public QObject {
    Q_OBJECT

private:
    QTcpServer m_busy;
    QTemporaryDir m_dir;

private slots:
    void recordRealClient() {
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        const quint16 port = FreePort();
        RecorderProcess recorder;
        QVERIFY(recorder.Start(port, {"--out", path}));
        QCOMPARE(FileLines(path), QStringList{}); // a valid, empty capture file from the start

        QTcpSocket client;
        QVERIFY(Connect(client, port));
        const QString peer = "connection from 127.0.0.1:" + QString::number(client.localPort());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.err().contains(peer.toUtf8()), kWaitMs);
        client.write(QByteArray::fromHex("04 41 00 00 11 00 00 00"));
        QVERIFY(recorder.WaitForLines(1));
        client.write(QByteArray::fromHex("0C 41 00 00 10 30"));
        QVERIFY(recorder.WaitForLines(2));

        const QStringList lines = recorder.Lines();
        for (const QString& line : lines)
            QVERIFY2(QRegularExpression(R"(^\[[^\]]+\] \[[^\]]+\]( [0-9A-F]{2})+$)").match(line).hasMatch(),
                     qPrintable(line));
        QCOMPARE(ByteTexts(lines), (QStringList{"04 41 00 00 11 00 00 00", "0C 41 00 00 10 30"}));

        // The file follows the arrivals, newest first, without the recorder stopping.
        QTRY_COMPARE_WITH_TIMEOUT(FileLines(path), Reversed(lines), kWaitMs);
    }

    void stopMidRecording_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM: the file is complete") << int(SIGTERM);
        QTest::newRow("SIGHUP: the same") << int(SIGHUP);
        QTest::newRow("SIGKILL: the journal keeps every printed line, the next start goes on")
            << int(SIGKILL);
    }

    void stopMidRecording() {
        QFETCH(int, signal);
        const bool kill = signal == SIGKILL;
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        const QString journal = path + ".journal";
        const quint16 port = FreePort();
        QStringList printed;
        {
            RecorderProcess recorder;
            QVERIFY(recorder.Start(port, {"--out", path}));
            QTcpSocket client;
            QVERIFY(Connect(client, port));
            client.setSocketOption(QAbstractSocket::LowDelayOption, 1);

            // Messages keep arriving while the recorder is stopped.
            QTimer sender;
            int sequence = 0;
            connect(&sender, &QTimer::timeout, [&] {
                QByteArray message = QByteArray::fromHex("0C 41 00 00 10 30 30 30 31 30 30 31 31 30 00 00");
                message[14] = static_cast<char>(sequence++);
                client.write(message);
            });
            sender.start(3);
            QVERIFY(recorder.WaitForLines(150));
            QCOMPARE(::kill(static_cast<pid_t>(recorder.process().processId()), signal), 0);
            QCOMPARE(recorder.Finish(), kill ? -1 : 0);
            sender.stop();
            printed = recorder.Lines();
        }
        QVERIFY(printed.size() >= 150);
        if (!kill) {
            QCOMPARE(FileLines(path), Reversed(printed));
            QVERIFY(!QFile::exists(journal));
            return;
        }
        // Killed at any moment: the journal holds every line printed (and perhaps the read it was printing).
        const QStringList journaled = QString::fromUtf8(ReadAll(journal)).split('\n', Qt::SkipEmptyParts);
        QVERIFY(journaled.size() >= printed.size());
        QCOMPARE(journaled.mid(0, printed.size()), printed);
        QVERIFY(RunCli({"decode", path}).err.contains("capture.txt.journal exists"));
        // The next start with the same file takes the interrupted recording up again, and says that it
        // drops a line the kill cut short.
        QFile torn(journal);
        QVERIFY(torn.open(QIODevice::Append) && torn.write("[d] [t] 04 4") == 12);
        torn.close();
        RecorderProcess again;
        QVERIFY(again.Start(port, {"--out", path}));
        QVERIFY(again.err().contains("interrupted recording"));
        QVERIFY(again.err().contains("was cut short by the kill (12 bytes, no line end); dropped"));
        QTRY_COMPARE_WITH_TIMEOUT(FileLines(path), Reversed(journaled), kWaitMs);
        again.process().terminate();
        QCOMPARE(again.Finish(), 0);
        QCOMPARE(FileLines(path), Reversed(journaled));
        QVERIFY(!QFile::exists(journal));
    }

    // A burst far larger than a read, sent and closed at once: every byte comes back, in order, from
    // lines of at most 256 bytes, on standard output and in the file alike; --once then ends the run.
    void aBurstComesBackWhole() {
        QTemporaryDir dir;
        const QString path = dir.filePath("burst.txt");
        const quint16 port = FreePort();
        RecorderProcess recorder;
        QVERIFY(recorder.Start(port, {"--out", path, "--once"}));
        QByteArray burst(2 << 20, '\0');
        for (qsizetype i = 0; i < burst.size(); ++i)
            burst[i] = static_cast<char>((i * 131) >> 3);
        QTcpSocket client;
        QVERIFY(Connect(client, port));
        client.write(burst);
        client.disconnectFromHost();
        QVERIFY(client.state() == QAbstractSocket::UnconnectedState || client.waitForDisconnected(kWaitMs));
        QCOMPARE(recorder.Finish(), 0);
        const auto joined = [](const QStringList& lines) {
            QByteArray bytes;
            for (const QString& text : ByteTexts(lines)) {
                if (text.count(u' ') >= 256)
                    return QByteArray("a line of more than 256 bytes");
                bytes += QByteArray::fromHex(text.toLatin1());
            }
            return bytes;
        };
        QVERIFY(joined(recorder.Lines()) == burst);
        QVERIFY(joined(Reversed(FileLines(path))) == burst);
    }

    void sendRoundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        const QString captureFile = dir.filePath("replay.txt");
        const QString bareFile = dir.filePath("bare.txt");
        const QString planFile = dir.filePath("plan.txt");
        QVERIFY(
            WriteFile(planFile, "# a try\nBeat: 11 --count 2\nGate 3: 10 --gate 3 --door rear --seq 1\n"));
        const auto m10 = [](const char* seq) {
            return "0C 41 00 00 10 30 30 30 31 30 30 31 31 30 " + QString(seq) + " 00";
        };
        QVERIFY(WriteFile(captureFile, ("[yyyy/mm/dd] [hh:mm:ss]\r\n[2012/11/22] [10:15:32] " + m10("02") +
                                        "\r\n[2012/11/22] [10:15:31] " + m10("01") + "\r\n")
                                           .toUtf8()));
        QVERIFY(WriteFile(
            bareFile,
            ("[2012/11/22] [10:15:33] " + m10("03") + "\n[2012/11/22] [10:15:34] " + m10("04")).toUtf8()));
        const quint16 port = FreePort();
        RecorderProcess recorder;
        QVERIFY(recorder.Start(port, {"--out", path}));
        const QList<std::pair<QStringList, QStringList>> cases = {
            // arguments, messages recorded
            {{"04 41 00 00 11 00 00 00", "0441000011000000"},
             {"04 41 00 00 11 00 00 00", "04 41 00 00 11 00 00 00"}},
            {{"--command", "11"}, {"04 41 00 00 11 00 00 00"}},
            {{"--command", "10"}, {m10("00")}},
            {{"--command", "0x10", "--gate", "3", "--dest-floor", "15", "--door", "rear", "--attr", "vip",
              "--seq", "0x7F"},
             {"0C 41 00 00 10 30 30 30 33 30 31 35 32 32 7F 00"}},
            {{"--command", "20", "--gate", "255", "--floors", "1,256", "--attr", "2", "--seq", "9"},
             {}}, // floor 256: refused
            {{"--command", "20", "--gate", "255", "--floors", "1,255:rear", "--attr", "2", "--seq", "9"},
             {"4C 41 00 00 20 30 32 35 35 03 " + QString("00 ").repeated(62) + "20 32 09 00 00 00 00 00"}},
            // A capture file is newest first and goes out from its last line; a bare file in its order.
            {{"--replay", captureFile}, {m10("01"), m10("02")}},
            {{"--replay", bareFile}, {m10("03"), m10("04")}},
            {{"--plan", planFile},
             {"04 41 00 00 11 00 00 00", "04 41 00 00 11 00 00 00",
              "0C 41 00 00 10 30 30 30 33 30 30 31 32 30 01 00"}},
        };
        QStringList sent;
        for (const auto& [arguments, messages] : cases) {
            const CliRun run =
                RunCli(QStringList{"send", "--port", QString::number(port), "--interval", "50"} + arguments);
            QCOMPARE(run.status, messages.isEmpty() ? 2 : 0);
            sent += messages;
            QVERIFY(recorder.WaitForLines(sent.size()));
        }
        QCOMPARE(ByteTexts(recorder.Lines()), sent);
        // What a plan sends meets it.
        PlanMatcher matcher(LoadTestPlan(planFile.toStdString()).expectations);
        for (const QString& line : recorder.Lines())
            matcher.MatchLine(line.toStdString(), 0);
        QCOMPARE(matcher.MetCount(), 2);

        // Every message sent is valid for the decoder, the 0x20 floors included.
        recorder.process().terminate();
        QCOMPARE(recorder.Finish(), 0);
        const CliRun decoded = RunCli({"decode", "--json", "--floors", path});
        QCOMPARE(decoded.status, 0);
        QCOMPARE(decoded.out.trimmed().split('\n').size(), sent.size());
        // and report over the recording finds the plan met.
        const CliRun reported = RunCli({"report", "--plan", planFile, path});
        QVERIFY2(reported.out.contains("plan: 2 of 2 met\n"), reported.out.constData());
        QCOMPARE(reported.status, 0);
    }

    // A second recorder of the same file is refused, naming the first, which goes on undisturbed.
    void oneRecorderPerFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        const quint16 port = FreePort();
        RecorderProcess first;
        QVERIFY(first.Start(port, {"--out", path}));
        const CliRun second = RunCli({"record", "--port", "0", "--out", path});
        QCOMPARE(second.status, 2);
        QVERIFY2(second.err.contains("another recorder is writing " + path.toUtf8() + ": " + path.toUtf8() +
                                     ".journal: it is in use by process " +
                                     QByteArray::number(first.process().processId())),
                 second.err.constData());
        QTcpSocket client;
        QVERIFY(Connect(client, port));
        client.write(QByteArray::fromHex("05"));
        QVERIFY(first.WaitForLines(1));
        first.process().terminate();
        QCOMPARE(first.Finish(), 0);
        QCOMPARE(FileLines(path), first.Lines());
        QVERIFY(!QFile::exists(path + ".journal"));
    }

    // record | head -1: the reader goes, the recorder completes its file and says it failed.
    void recordWhoseOutputCloses() {
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        const quint16 port = FreePort();
        QProcess pipeline;
        pipeline.start("bash",
                       {"-c", R"("$0" record --port "$1" --out "$2" | head -1; exit ${PIPESTATUS[0]})",
                        CliProgram(), QString::number(port), path});
        QTcpSocket client;
        QVERIFY(QTest::qWaitFor([&] { return Connect(client, port, 200); }, kWaitMs));
        for (int i = 0; i < 50 && pipeline.state() == QProcess::Running; ++i) {
            client.write(QByteArray::fromHex("04 41 00 00 11 00 00") + char(i));
            client.flush();
            QTest::qWait(20);
        }
        QVERIFY(pipeline.state() == QProcess::NotRunning || pipeline.waitForFinished(kWaitMs));
        QCOMPARE(pipeline.exitCode(), 2);
        QVERIFY(pipeline.readAllStandardError().contains("cannot write to standard output: Broken pipe"));
        const QStringList saved = FileLines(path);
        QVERIFY(saved.size() >= 2);
        // The oldest line is the first read (a busy machine may merge the first writes into it).
        QVERIFY(saved.constLast().section("] ", 2).startsWith(QString("04 41 00 00 11 00 00 00")));
        QCOMPARE(saved.constLast() + '\n', QString::fromUtf8(pipeline.readAllStandardOutput()));
    }

    // A replay sends exactly the recorded bytes or nothing: a line that does not say which bytes is
    // refused with its number before any connection; a packet capture sends its connections' messages.
    void replaysAreExact() {
        using namespace capture_builder;
        QTemporaryDir dir;
        const QString text = dir.filePath("replay.txt");
        const QString pcap = dir.filePath("site.pcap");
        const QString lost = dir.filePath("lost.pcap");
        const quint16 port = FreePort();
        RecorderProcess recorder;
        QVERIFY(recorder.Start(port));
        const QStringList send = {"send", "--port", QString::number(port), "--interval", "50", "--replay"};
        const QList<std::pair<QByteArray, QString>> refused = {
            {"[d] [t] 04 41 zz 00\n", "line 1 is not a capture line"},
            {"[d] [t] 04 41\nhello\n", "line 2 is not a capture line"},
            {"[yyyy/mm/dd] [hh:mm:ss]\r\n[d] [t] 04  41\r\n", "line 2 is not a capture line"},
            {"[d] [t] 04 41 \n", "line 1 is not a capture line"},
        };
        for (const auto& [content, message] : refused) {
            QVERIFY(WriteFile(text, content));
            const CliRun run = RunCli(send + QStringList{text});
            QCOMPARE(run.status, 2);
            QVERIFY2(QString::fromUtf8(run.err).contains(message + " (its bytes must be two hex digits each"),
                     run.err.constData());
        }

        const std::vector<std::uint8_t> m11 = {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00};
        const std::vector<std::uint8_t> m10 = {0x0C, 0x41, 0x00, 0x00, 0x10, 0x30, 0x30, 0x30,
                                               0x33, 0x30, 0x31, 0x35, 0x31, 0x30, 0x00, 0x00};
        std::vector<std::uint8_t> twoInOne = m10;
        twoInOne.insert(twoInOne.end(), m11.begin(), m11.end());
        twoInOne.back() = 0x07;
        std::vector<std::uint8_t> other = m11;
        other.back() = 0x09;
        const auto segment = [](std::uint16_t clientPort, std::uint32_t seq, std::vector<std::uint8_t> bytes,
                                std::int64_t ms, std::uint16_t serverPort = 60173) {
            Segment s;
            s.clientPort = clientPort;
            s.serverPort = serverPort;
            s.seq = seq;
            s.payload = std::move(bytes);
            s.timeNs = 1'700'000'000'000'000'000 + ms * 1'000'000;
            return s;
        };
        QVERIFY(WritePcap(pcap.toStdString(), DLT_EN10MB,
                          {segment(50212, 1000, {m11.begin(), m11.begin() + 3}, 0),
                           segment(50300, 7000, other, 100), segment(50400, 1, m10, 150, 60174),
                           segment(50212, 1003, {m11.begin() + 3, m11.end()}, 200),
                           segment(50212, 1008, twoInOne, 400)}));
        QVERIFY(WritePcap(lost.toStdString(), DLT_EN10MB,
                          {segment(50212, 1000, m11, 0), segment(50212, 1016, m11, 1)}));
        const CliRun gap = RunCli(send + QStringList{lost});
        QCOMPARE(gap.status, 2);
        QVERIFY2(gap.err.contains("the capture lost 8 bytes of the connection 192.168.10.5:50212 > "
                                  "192.168.10.9:60173, so what was sent is not known; nothing sent"),
                 gap.err.constData());

        // In order of each connection's first packet, cut at the messages' length bytes.
        const QStringList messages = {"04 41 00 00 11 00 00 00",
                                      "0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00",
                                      "04 41 00 00 11 00 00 07", "04 41 00 00 11 00 00 09"};
        const CliRun replayed = RunCli(send + QStringList{pcap});
        QCOMPARE(replayed.status, 0);
        QVERIFY(replayed.err.contains("4 messages sent"));
        QVERIFY(recorder.WaitForLines(4));
        QCOMPARE(ByteTexts(recorder.Lines()), messages);
        // With the capture's own gaps (400 ms from the first message to the third, then none): the same
        // bytes, though messages sent back to back may arrive as one read.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(RunCli(send + QStringList{pcap, "--timing", "capture"}).status, 0);
        QVERIFY(clock.elapsed() >= 400);
        QTRY_COMPARE_WITH_TIMEOUT(ByteTexts(recorder.Lines()).mid(4).join(' '), messages.join(' '), kWaitMs);
    }

    void usageErrors_data() {
        QVERIFY(m_busy.isListening() || m_busy.listen(QHostAddress::LocalHost, 0));
        const QString busy = QString::number(m_busy.serverPort());
        const QString closed = QString::number(FreePort());
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("port in use") << QStringList{"record", "--port", busy}
                                     << "port " + busy + " is already in use";
        QTest::newRow("a folder as the file")
            << QStringList{"record", "--port", closed, "--out", QDir::tempPath()}
            << "cannot write " + QDir::tempPath() + ": " + QDir::tempPath() + " is a folder, not a file.\n";
        const QString fifo = m_dir.filePath("fifo");
        QVERIFY(QFile::exists(fifo) || ::mkfifo(QFile::encodeName(fifo).constData(), 0644) == 0);
        QTest::newRow("a named pipe as the file") << QStringList{"record", "--port", closed, "--out", fifo}
                                                  << fifo + " is a named pipe (FIFO), not a regular file";
        QTest::newRow("unwritable file")
            << QStringList{"record", "--port", closed, "--out", "/nonexistent/x.txt"}
            << "cannot write /nonexistent/x.txt";
        QTest::newRow("bad port") << QStringList{"record", "--port", "65536"} << "not a port number: 65536";
        QTest::newRow("record: extra") << QStringList{"record", "extra"} << "unexpected argument extra";
        QTest::newRow("nothing listens") << QStringList{"send", "--port", closed, "04 41 00 00 11 00 00 00"}
                                         << "cannot connect to 127.0.0.1:" + closed + ": Connection refused";
        QTest::newRow("hex and fields")
            << QStringList{"send", "--port", closed, "0441", "--command", "11"} << "one of them";
        QTest::newRow("fields without a command")
            << QStringList{"send", "--port", closed, "--gate", "3"} << "fields need --command";
        QTest::newRow("gate too long") << QStringList{"send", "--command", "10", "--gate", "10000"}
                                       << "--gate: not a valid value: 10000";
        QTest::newRow("bad hex") << QStringList{"send", "04 4G"} << "not a message in hex: \"04 4G\"";
        QTest::newRow("missing replay file") << QStringList{"send", "--replay", "/nonexistent/c.txt"}
                                             << "cannot read /nonexistent/c.txt: No such file or directory";
        QTest::newRow("endless replay") << QStringList{"send", "--port", closed, "--replay", "/dev/zero"}
                                        << "cannot read /dev/zero: line 1 is longer than 4 MB";
        QTest::newRow("a field 0x11 lacks")
            << QStringList{"send", "--port", closed, "--command", "11", "--gate", "5"}
            << "--gate: a message of command 11 has no such field";
        QTest::newRow("a field 0x20 lacks")
            << QStringList{"send", "--port", closed, "--command", "20", "--door", "rear"}
            << "--door: a message of command 20 has no such field";
        const QString badPlan = m_dir.filePath("bad-plan.txt");
        QVERIFY(WriteFile(badPlan, "Beat: 11\nVIP: 20 --door 1\n"));
        QTest::newRow("a plan that does not parse")
            << QStringList{"send", "--port", closed, "--plan", badPlan}
            << "plan " + badPlan + ": line 2: --door: a message of command 20 has no such field";
        QTest::newRow("capture timing without a packet capture")
            << QStringList{"send", "--port", closed, "--timing", "capture", "0441"}
            << "--timing capture needs --replay with a packet capture";
    }

    // A recorder that cannot listen leaves the file alone; one that lets the system choose its port says
    // it once and keeps it for the next client.
    void theFileWaitsForTheListenerAndPortZeroIsKept() {
        QVERIFY(m_busy.isListening() || m_busy.listen(QHostAddress::LocalHost, 0));
        QTemporaryDir dir;
        const QString path = dir.filePath("kept.txt");
        QVERIFY(WriteFile(path, "an earlier recording\r\n"));
        QCOMPARE(RunCli({"record", "--port", QString::number(m_busy.serverPort()), "--out", path}).status, 2);
        QCOMPARE(ReadAll(path), QByteArray("an earlier recording\r\n"));
        QVERIFY(!QFile::exists(path + ".journal"));

        RecorderProcess recorder;
        QVERIFY(recorder.Start(0));
        const QRegularExpressionMatch said =
            QRegularExpression(R"(listening on port (\d+))").match(QString::fromUtf8(recorder.err()));
        QVERIFY(said.hasMatch());
        const quint16 port = said.captured(1).toUShort();
        for (int round = 0; round < 2; ++round) {
            QTcpSocket client;
            QVERIFY(Connect(client, port));
            client.write(QByteArray::fromHex("05"));
            QVERIFY(recorder.WaitForLines(round + 1));
            client.disconnectFromHost();
            QTRY_COMPARE_WITH_TIMEOUT(recorder.err().count("disconnection from"), round + 1, kWaitMs);
        }
        QCOMPARE(recorder.err().count("listening on port"), 1);
    }

    // A silent peer is reported once the limit has passed, and again when its bytes come back; a
    // disconnection says how long the connection lasted.
    void recordSilenceAndDurations() {
        const quint16 port = FreePort();
        RecorderProcess recorder;
        QVERIFY(recorder.Start(port, {"--silence", "1"}));
        QTcpSocket client;
        QVERIFY(Connect(client, port));
        QTRY_VERIFY_WITH_TIMEOUT(recorder.err().contains("silence: no bytes from 127.0.0.1:"), 3000);
        client.write(QByteArray::fromHex("05"));
        QVERIFY(recorder.WaitForLines(1));
        QTRY_VERIFY(recorder.err().contains(" of silence"));
        client.disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(
            QRegularExpression(R"(disconnection from 127\.0\.0\.1:\d+ after \d+(\.\d)? (ms|s))")
                .match(QString::fromUtf8(recorder.err()))
                .hasMatch(),
            kWaitMs);
        QCOMPARE(recorder.err().count("silence: no bytes"), 1);
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CliRun run = RunCli(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCliLink)
#include "test_cli_link.moc"
