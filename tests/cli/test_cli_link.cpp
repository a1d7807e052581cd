// tarc-emulator record and send end to end: real processes on 127.0.0.1, a real client, real files.
#include "CliProcess.h"
#include "capture/CaptureFileIO.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

constexpr int kWaitMs = 15000;

// A recorder running in the background, its output collected as it comes.
class RecorderProcess {
public:
    bool Start(quint16 port, const QStringList& extra = {}) {
        m_process.start(CliProgram(), QStringList{"record", "--port", QString::number(port)} + extra);
        if (!m_process.waitForStarted(kWaitMs))
            return false;
        return QTest::qWaitFor([this] { return err().contains("listening on port"); }, kWaitMs);
    }
    ~RecorderProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QByteArray out() {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    QByteArray err() {
        m_err += m_process.readAllStandardError();
        return m_err;
    }
    QStringList Lines() { return QString::fromUtf8(out()).split('\n', Qt::SkipEmptyParts); }
    bool WaitForLines(qsizetype count) {
        return QTest::qWaitFor([&] { return Lines().size() >= count; }, kWaitMs);
    }
    // The exit status once the process ended by itself or after a signal, -1 when it crashed.
    int Finish() {
        if (!m_process.waitForFinished(kWaitMs))
            return -2;
        out();
        err();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_out;
    QByteArray m_err;
};

QStringList ByteTexts(const QStringList& lines) {
    QStringList texts;
    for (const QString& line : lines)
        texts << line.section("] ", 2);
    return texts;
}

QStringList FileLines(const QString& path, bool* ok) {
    const LoadedCaptureFile loaded = LoadCaptureFile(path);
    *ok = loaded.readOk && loaded.parsed.status == ParsedCaptureFile::Status::Ok;
    QStringList lines;
    for (const std::string_view line : loaded.parsed.lines)
        lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    return lines;
}

QStringList Reversed(QStringList lines) {
    std::reverse(lines.begin(), lines.end());
    return lines;
}

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

class TestCliLink : public QObject {
    Q_OBJECT

private slots:
    void recordRealClient();
    void recordOnce();
    void stopMidRecording_data();
    void stopMidRecording();
    void recordErrors();
    void sendRoundTrip();
    void replay();
    void sendErrors_data();
    void sendErrors();
};

void TestCliLink::recordRealClient() {
    QTemporaryDir dir;
    const QString path = dir.filePath("capture.txt");
    const quint16 port = FreePort();
    RecorderProcess recorder;
    QVERIFY(recorder.Start(port, {"--out", path}));
    bool ok = false;
    QVERIFY(FileLines(path, &ok).isEmpty()); // a valid, empty capture file from the start
    QVERIFY(ok);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(kWaitMs));
    const QString peer = "connection from 127.0.0.1:" + QString::number(client.localPort());
    QTRY_VERIFY_WITH_TIMEOUT(recorder.err().contains(peer.toUtf8()), kWaitMs);
    client.write(Hex("04 41 00 00 11 00 00 00"));
    QVERIFY(recorder.WaitForLines(1));
    client.write(Hex("0C 41 00 00 10 30"));
    QVERIFY(recorder.WaitForLines(2));
    client.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.err().contains("disconnection from 127.0.0.1:"), kWaitMs);

    // It listens again: a second client is recorded after the first.
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(second.waitForConnected(kWaitMs));
    second.write(QByteArray(300, '\x01')); // more than a line shows: the first 256 bytes
    QVERIFY(recorder.WaitForLines(3));

    const QStringList lines = recorder.Lines();
    const QRegularExpression shape(R"(^\[[^\]]+\] \[[^\]]+\]( [0-9A-F]{2})+$)");
    for (const QString& line : lines)
        QVERIFY2(shape.match(line).hasMatch(), qPrintable(line));
    QCOMPARE(ByteTexts(lines).mid(0, 2), (QStringList{"04 41 00 00 11 00 00 00", "0C 41 00 00 10 30"}));
    QCOMPARE(ByteTexts(lines)[2].count("01"), 256);

    // The file follows the arrivals, newest first, without the recorder stopping.
    QTRY_VERIFY_WITH_TIMEOUT(FileLines(path, &ok) == Reversed(lines), kWaitMs);
    QVERIFY(ok);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QRegularExpression(R"(^\[(mm/dd/yyyy|dd/mm/yyyy|yyyy/mm/dd)\] \[hh:mm:ss\]\r\n)")
                .match(file.readAll())
                .hasMatch());

    recorder.process().terminate();
    QCOMPARE(recorder.Finish(), 0);
    QCOMPARE(FileLines(path, &ok), Reversed(lines));
}

void TestCliLink::recordOnce() {
    const quint16 port = FreePort();
    RecorderProcess recorder;
    QVERIFY(recorder.Start(port, {"--once"}));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(kWaitMs));
    // Sent and closed at once: the bytes still make their line.
    client.write(Hex("04 41 00 00 11 00 00 00"));
    client.disconnectFromHost();
    QVERIFY(client.state() == QAbstractSocket::UnconnectedState || client.waitForDisconnected(kWaitMs));
    QCOMPARE(recorder.Finish(), 0);
    QCOMPARE(ByteTexts(recorder.Lines()), QStringList{"04 41 00 00 11 00 00 00"});
}

void TestCliLink::stopMidRecording_data() {
    QTest::addColumn<bool>("kill");
    QTest::newRow("SIGTERM: the file is complete") << false;
    QTest::newRow("SIGKILL: the file is still a valid capture file") << true;
}

void TestCliLink::stopMidRecording() {
    QFETCH(bool, kill);
    QTemporaryDir dir;
    const QString path = dir.filePath("capture.txt");
    const quint16 port = FreePort();
    RecorderProcess recorder;
    QVERIFY(recorder.Start(port, {"--out", path}));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(kWaitMs));
    client.setSocketOption(QAbstractSocket::LowDelayOption, 1);

    // Messages keep arriving while the recorder is stopped.
    QTimer sender;
    int sequence = 0;
    connect(&sender, &QTimer::timeout, [&] {
        QByteArray message = Hex("0C 41 00 00 10 30 30 30 31 30 30 31 31 30 00 00");
        message[14] = static_cast<char>(sequence++);
        client.write(message);
    });
    sender.start(3);
    QVERIFY(recorder.WaitForLines(150));
    if (kill)
        recorder.process().kill();
    else
        recorder.process().terminate();
    const int status = recorder.Finish();
    sender.stop();

    bool ok = false;
    const QStringList fileLines = FileLines(path, &ok);
    QVERIFY(ok);
    const QStringList printed = recorder.Lines();
    if (kill) {
        QCOMPARE(status, -1);
        // Whatever moment it died at, the file holds whole lines that were recorded, newest first.
        QVERIFY(fileLines.size() <= printed.size());
        QCOMPARE(fileLines, Reversed(printed.mid(0, fileLines.size())));
    } else {
        QCOMPARE(status, 0);
        QVERIFY(printed.size() >= 150);
        QCOMPARE(fileLines, Reversed(printed));
    }
}

void TestCliLink::recordErrors() {
    QTcpServer blocker;
    QVERIFY(blocker.listen(QHostAddress::LocalHost, 0));
    const CliRun inUse = RunCli({"record", "--port", QString::number(blocker.serverPort())});
    QCOMPARE(inUse.status, 2);
    QVERIFY2(inUse.err.contains("is already in use"), inUse.err.constData());

    const CliRun badFile =
        RunCli({"record", "--port", QString::number(FreePort()), "--out", "/nonexistent/x.txt"});
    QCOMPARE(badFile.status, 2);
    QVERIFY2(badFile.err.contains("cannot write /nonexistent/x.txt"), badFile.err.constData());

    QCOMPARE(RunCli({"record", "--port", "65536"}).status, 2);
    QCOMPARE(RunCli({"record", "extra"}).status, 2);
}

void TestCliLink::sendRoundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath("capture.txt");
    const quint16 port = FreePort();
    RecorderProcess recorder;
    QVERIFY(recorder.Start(port, {"--out", path}));
    const QString p = QString::number(port);
    struct Case {
        QStringList arguments;
        QStringList byteTexts;
    };
    const QString floors =
        "03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 C0";
    const QList<Case> cases = {
        {{"04 41 00 00 11 00 00 00", "0441000011000000"},
         {"04 41 00 00 11 00 00 00", "04 41 00 00 11 00 00 00"}},
        {{"--command", "11"}, {"04 41 00 00 11 00 00 00"}},
        {{"--command", "10"}, {"0C 41 00 00 10 30 30 30 31 30 30 31 31 30 00 00"}},
        {{"--command", "0x10", "--gate", "3", "--dest-floor", "15", "--door", "rear", "--attr", "vip",
          "--seq", "0x7F"},
         {"0C 41 00 00 10 30 30 30 33 30 31 35 32 32 7F 00"}},
        {{"--command", "20", "--gate", "255", "--floors", "1,256", "--attr", "2", "--seq", "9"},
         {}}, // floor 256: refused
        {{"--command", "20", "--gate", "255", "--floors", "1,255:rear", "--attr", "2", "--seq", "9"},
         {"4C 41 00 00 20 30 32 35 35 " + floors.left(floors.size() - 2) + "20 32 09 00 00 00 00 00"}},
    };
    qsizetype expected = 0;
    QStringList sent;
    for (const Case& c : cases) {
        const CliRun run = RunCli(QStringList{"send", "--port", p, "--interval", "50"} + c.arguments);
        QCOMPARE(run.status, c.byteTexts.isEmpty() ? 2 : 0);
        expected += c.byteTexts.size();
        sent += c.byteTexts;
        QVERIFY(recorder.WaitForLines(expected));
    }
    QCOMPARE(ByteTexts(recorder.Lines()), sent);

    // Every message sent is valid for the decoder, the 0x20 floors included.
    recorder.process().terminate();
    QCOMPARE(recorder.Finish(), 0);
    const CliRun decoded = RunCli({"decode", "--json", "--floors", path});
    QCOMPARE(decoded.status, 0);
    const QList<QByteArray> reports = decoded.out.trimmed().split('\n');
    QCOMPARE(reports.size(), sent.size());
    const QJsonArray floorValues = QJsonDocument::fromJson(reports.front())
                                       .object()["messages"]
                                       .toArray()[0]
                                       .toObject()["floors"]
                                       .toArray();
    QCOMPARE(floorValues[0].toString(), QString("11"));
    QCOMPARE(floorValues[1].toString(), QString("00"));
    QCOMPARE(floorValues[254].toString(), QString("10"));
    QCOMPARE(floorValues[255].toString(), QString("00"));
}

void TestCliLink::replay() {
    QTemporaryDir dir;
    const QString captureFile = dir.filePath("capture.txt");
    const QString bareFile = dir.filePath("bare.txt");
    QFile capture(captureFile);
    QVERIFY(capture.open(QIODevice::WriteOnly));
    capture.write("[yyyy/mm/dd] [hh:mm:ss]\r\n"
                  "[2012/11/22] [10:15:32] 04 41 00 00 11 00 00 02\r\n"
                  "[2012/11/22] [10:15:31] 04 41 00 00 11 00 00 01\r\n");
    capture.close();
    QFile bare(bareFile);
    QVERIFY(bare.open(QIODevice::WriteOnly));
    bare.write(
        "[2012/11/22] [10:15:33] 04 41 00 00 11 00 00 03\n[2012/11/22] [10:15:34] 04 41 00 00 11 00 00 04\n");
    bare.close();

    const quint16 port = FreePort();
    RecorderProcess recorder;
    QVERIFY(recorder.Start(port));
    for (const QString& file : {captureFile, bareFile})
        QCOMPARE(
            RunCli({"send", "--port", QString::number(port), "--interval", "50", "--replay", file}).status,
            0);
    QVERIFY(recorder.WaitForLines(4));
    // A capture file is newest first and goes out from its last line; record's own output in its order.
    QCOMPARE(ByteTexts(recorder.Lines()),
             (QStringList{"04 41 00 00 11 00 00 01", "04 41 00 00 11 00 00 02", "04 41 00 00 11 00 00 03",
                          "04 41 00 00 11 00 00 04"}));
}

void TestCliLink::sendErrors_data() {
    const QString closed = QString::number(FreePort());
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing listens") << QStringList{"send", "--port", closed, "04 41 00 00 11 00 00 00"}
                                     << "cannot connect to 127.0.0.1:" + closed + ": Connection refused";
    QTest::newRow("hex and fields") << QStringList{"send", "--port", closed, "0441", "--command", "11"}
                                    << "one of them";
    QTest::newRow("nothing to send") << QStringList{"send", "--port", closed} << "one of them";
    QTest::newRow("fields without a command")
        << QStringList{"send", "--port", closed, "--gate", "3"} << "fields need --command";
    QTest::newRow("gate too long") << QStringList{"send", "--command", "10", "--gate", "10000"}
                                   << "--gate: not a valid value: 10000";
    QTest::newRow("unknown command") << QStringList{"send", "--command", "12"}
                                     << "--command: not a valid value: 12";
    QTest::newRow("bad hex") << QStringList{"send", "04 4G"} << "not a message in hex: \"04 4G\"";
    QTest::newRow("missing replay file") << QStringList{"send", "--replay", "/nonexistent/c.txt"}
                                         << "cannot read /nonexistent/c.txt: No such file or directory";
    QTest::newRow("bad port") << QStringList{"send", "--port", "70000", "0441"} << "not a port number: 70000";
    QTest::newRow("bad interval") << QStringList{"send", "--interval", "-5", "0441"}
                                  << "--interval takes milliseconds";
}

void TestCliLink::sendErrors() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const CliRun run = RunCli(arguments);
    QCOMPARE(run.status, 2);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
}

QTEST_GUILESS_MAIN(TestCliLink)
#include "test_cli_link.moc"
