// tarc-emulator decode and the top-level arguments, end to end as a separate process.
#include "CliProcess.h"
#include "capture/InputLimits.h"

#include "cli/DecodeRun.h"
#include "link/LocalClock.h"
#include "support/CaptureBuilder.h"

#include <algorithm>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kLine11 = "[11/22/2012] [10:15:30] 04 41 00 00 11 00 00 00";
const QByteArray kLine11Bad = "[11/22/2012] [10:15:31] 04 41 00 00 11 00 FF 00";
const QByteArray kLine10 = "[11/22/2012] [10:15:32] 0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00";
const QByteArray kLine10Short = "[11/22/2012] [10:15:33] 0C 41 00 00 10 30 30";

// What the JSON report of kLine10Short and of two 0x11 messages in one line must hold, with ' for ".
const char* const kJsonPart =
    "{'source': '-', 'line': 1, 'date': '11/22/2012', 'time': '10:15:33', 'bytes': 7, 'framing': 'part',"
    " 'valid': false, 'messages': [{'short': 9, 'valid': false,"
    " 'header': {'Version': {'explanation': '\\'A\\' (fixed)'}, 'Data length': {'valid': true}},"
    " 'data': {'Command': {'valid': true},"
    " 'Gate number': {'type': 'CHAR(4)', 'cells': ['30', '30', null, null],"
    " 'cell_valid': [true, true, false, false], 'valid': false}}}]}";
const char* const kJsonSeveral = "{'framing': 'several', 'valid': true, 'messages': [{'offset': 0},"
                                 " {'offset': 8, 'data': {'Resrve': {'cells': ['00', '00', '00']}}}]}";

// A 0x20 message: gate 0001, floors 1 and 4 on both sides in the first byte, attribution "0".
QByteArray Line20(const QByteArray& lastFloorByte = "00") {
    return "[11/22/2012] [10:15:34] 4C 41 00 00 20 30 30 30 31 C3" + QByteArray(" 00").repeated(62) + ' ' +
           lastFloorByte + " 30 07 00 00 00 00 00";
}

// Not JSON ends the run: an empty object would make every Has() below pass.
QJsonObject JsonLine(const QByteArray& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("not JSON: %s", text.constData());
    return document.object();
}

// Every key of `expected` has the same value in `actual`; arrays have the same size, element by element.
bool Has(const QJsonValue& actual, const QJsonValue& expected) {
    if (expected.isArray()) {
        const QJsonArray a = actual.toArray(), e = expected.toArray();
        return std::equal(a.begin(), a.end(), e.begin(), e.end(), Has);
    }
    if (!expected.isObject())
        return actual == expected;
    const QJsonObject a = actual.toObject(), e = expected.toObject();
    for (auto it = e.begin(); it != e.end(); ++it)
        if (!Has(a[it.key()], it.value()))
            return false;
    return true;
}

// A site capture of two connections to the elevator side's port and one to another port. Connection A
// (with SYN): a message split mid-way over two segments and one of them retransmitted, a segment out of
// order, and a segment missing from the capture in the middle of a message whose length byte came
// before the gap. Connection B (its SYN not captured): a whole message missing, length byte and all.
// Packet n is stamped at second kCaptureSecond + n.
constexpr std::int64_t kCaptureSecond = 1'765'000'000;

std::vector<capture_builder::Segment> SiteCapture() {
    using namespace capture_builder;
    const std::vector<std::uint8_t> m11 = {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00};
    const std::vector<std::uint8_t> m10 = {0x0C, 0x41, 0x00, 0x00, 0x10, 0x30, 0x30, 0x30,
                                           0x33, 0x30, 0x31, 0x35, 0x31, 0x30, 0x00, 0x00};
    std::vector<std::uint8_t> streamA = m11; // offsets 0, 8, 24, 32 and 48
    for (const auto* message : {&m10, &m11, &m10, &m11})
        streamA.insert(streamA.end(), message->begin(), message->end());
    std::vector<Segment> segments;
    const auto add = [&](std::uint16_t clientPort, std::uint32_t seq, std::uint8_t flags,
                         std::vector<std::uint8_t> payload, std::uint16_t serverPort = 60173) {
        Segment segment;
        segment.clientPort = clientPort;
        segment.serverPort = serverPort;
        segment.seq = seq;
        segment.flags = flags;
        segment.payload = std::move(payload);
        segment.timeNs =
            (kCaptureSecond + static_cast<std::int64_t>(segments.size()) + 1) * 1'000'000'000 + 5;
        segments.push_back(segment);
    };
    const auto a = [&](std::size_t from, std::size_t to) {
        return std::vector<std::uint8_t>(streamA.begin() + static_cast<std::ptrdiff_t>(from),
                                         streamA.begin() + static_cast<std::ptrdiff_t>(to));
    };
    add(50212, 999, kSyn, {});         // 1
    add(50212, 1000, kAck, a(0, 3));   // 2
    add(50212, 1003, kAck, a(3, 8));   // 3
    add(50300, 7000, kAck, m11);       // 4: B
    add(50212, 1003, kAck, a(3, 8));   // 5: retransmitted
    add(50212, 1024, kAck, a(24, 32)); // 6: ahead of 7
    add(50212, 1008, kAck, a(8, 24));  // 7
    add(50400, 1, kAck, m11, 60174);   // 8: another port
    add(50212, 1032, kAck, a(32, 38)); // 9: then [38, 44) missing
    add(50300, 7024, kAck, m11);       // 10: B, [8, 24) missing
    add(50212, 1044, kAck, a(44, 56)); // 11
    add(50212, 1056, kFin | kAck, {}); // 12
    return segments;
}

// The JSON report of a packet capture, a line per record: what it is, its packet, connection (by the
// client's port), time (by packet) and what it says.
QStringList Trace(const QByteArray& jsonLines) {
    LocalClock clock;
    QStringList trace;
    for (const QByteArray& text : jsonLines.split('\n')) {
        if (text.isEmpty())
            continue;
        const QJsonObject o = JsonLine(text);
        const QString connection = o["connection"].toString();
        QString line =
            QStringLiteral("%1 %2").arg(o["line"].toInt()).arg(connection.section(':', 1, 1).left(5));
        for (int n = 1; n <= 12; ++n) {
            const QString prefix = QString::fromStdString(clock.PrefixAt(kCaptureSecond + n));
            if (prefix == QStringLiteral("[%1] [%2]").arg(o["date"].toString(), o["time"].toString()))
                line += QStringLiteral(" t%1").arg(n);
        }
        if (o.contains("opened")) {
            line += " opened";
        } else if (o.contains("stream")) {
            const QJsonObject s = o["stream"].toObject();
            line +=
                QStringLiteral(
                    " stream %1 bytes %2 messages syn=%3 fin=%4 repeated=%5 reordered=%6 gaps=%7 missing=%8")
                    .arg(s["bytes"].toInt())
                    .arg(s["messages"].toInt())
                    .arg(s["syn"].toBool() ? "true" : "false")
                    .arg(s["fin"].toBool() ? "true" : "false")
                    .arg(s["repeated"].toInt())
                    .arg(s["out_of_order"].toInt())
                    .arg(s["gaps"].toInt())
                    .arg(s["missing"].toInt());
        } else if (o.contains("gap")) {
            const QJsonObject g = o["gap"].toObject();
            const QJsonValue cut = g["cut_message"];
            line +=
                QStringLiteral(" gap %1+%2 cut=%3 passed=%4 %5")
                    .arg(g["offset"].toInt())
                    .arg(g["missing"].toInt())
                    .arg(cut.isNull()
                             ? QStringLiteral("none")
                             : QStringLiteral("%1/%2").arg(cut["offset"].toInt()).arg(cut["length"].toInt()))
                    .arg(g["passed_over"].toInt())
                    .arg(g["resume"].toString());
        } else {
            const QJsonObject m = o["messages"].toArray().first().toObject();
            line += QStringLiteral(" %1 %2 bytes short=%3 cmd=%4")
                        .arg(o["framing"].toString())
                        .arg(o["bytes"].toInt())
                        .arg(m["short"].toInt())
                        .arg(m["data"]["Command"]["cells"][0].toString());
        }
        line += o["valid"].toBool() ? " valid" : " invalid";
        trace << line;
    }
    return trace;
}

} // namespace

class TestCliDecode : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void textTable() {
        const CliRun run = RunCli({"decode"}, kLine11Bad + "\r\n");
        QCOMPARE(run.status, 1);
        QCOMPARE(
            run.out,
            QByteArray(
                "-:1  [11/22/2012] [10:15:31]  8 bytes: one message\n"
                "  Data length       BYTE(1)   04                    Byte size of the communication data\n"
                "  Version           CHAR(1)   41                    \"A\" (fixed)\n"
                "  Reserve           BYTE(2)   00  00                0x00 (fixed)\n"
                "  Command           BYTE(1)   11                    0x11 (fixed)\n"
                "  Resrve            BYTE(3)   00  FF! 00            0x00 (fixed)\n"
                "\n"));
    }

    void statusAndFraming_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("expected"); // lines that must be in the output, each exactly
        QTest::newRow("part of a message: missing cells")
            << kLine10Short << 1
            << QStringList{"-:1  [11/22/2012] [10:15:33]  7 bytes: part of a message of 16 bytes, 9 short",
                           "  Gate number       CHAR(4)   30  30  --! --!       \"0001\" to \"9999\"",
                           "  Reserve           BYTE(1)   --!                   0x00 (fixed)"};
        QTest::newRow("two messages in one read")
            << QByteArray("[11/22/2012] [10:15:35] 04 41 00 00 11 00 00 00 04 41 00 00 11 00 00 01") << 1
            << QStringList{"-:1  [11/22/2012] [10:15:35]  16 bytes: 2 messages",
                           "  message 1 of 2, bytes 1 to 8",
                           "    Resrve            BYTE(3)   00  00  00            0x00 (fixed)",
                           "  message 2 of 2, bytes 9 to 16",
                           "    Resrve            BYTE(3)   00  00  01!           0x00 (fixed)"};
        QTest::newRow("no bytes") << QByteArray("[11/22/2012] [10:15:37]") << 1
                                  << QStringList{
                                         "-:1  [11/22/2012] [10:15:37]  0 bytes",
                                         "  Reserve           BYTE(2)   --! --!               0x00 (fixed)"};
        QTest::newRow("one invalid line among valid ones fails the run")
            << kLine10 + "\n" + kLine11 + "\n" + kLine11Bad + "\n" + kLine11 << 1
            << QStringList{"-:4  [11/22/2012] [10:15:30]  8 bytes: one message"};
        QTest::newRow("every line valid")
            << kLine11 + "\n" + kLine10 + "\n" + Line20() << 0
            << QStringList{"-:2  [11/22/2012] [10:15:32]  16 bytes: one message",
                           "  Gate number       CHAR(4)   30  30  30  33        \"0001\" to \"9999\"",
                           "-:3  [11/22/2012] [10:15:34]  80 bytes: one message",
                           "  Accesible Floors  BYTE(64)                        Accesible Floors"};
    }

    void statusAndFraming() {
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QStringList, expected);
        const CliRun run = RunCli({"decode", "-"}, input + "\n");
        QCOMPARE(run.status, status);
        const QStringList lines = QString::fromUtf8(run.out).split('\n');
        for (const QString& line : expected) {
            if (!lines.contains(line))
                QFAIL(qPrintable("missing line: " + line + "\nin:\n" + run.out));
        }
    }

    void json() {
        const CliRun run =
            RunCli({"decode", "--json"}, kLine10Short + "\n" + kLine11 + kLine11.mid(23) + "\n");
        QCOMPARE(run.status, 1);
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        const QJsonObject part = JsonLine(lines[0]);
        QVERIFY2(Has(part, JsonLine(QByteArray(kJsonPart).replace('\'', '"'))), lines[0].constData());
        const QJsonObject message = part["messages"].toArray()[0].toObject();

        // Two 0x11 messages in one read: both decoded, each with its own rows.
        const QJsonObject several = JsonLine(lines[1]);
        QVERIFY2(Has(several, JsonLine(QByteArray(kJsonSeveral).replace('\'', '"'))), lines[1].constData());
    }

    void jsonFloors() {
        const CliRun run = RunCli({"decode", "--json", "--floors"}, Line20("40") + "\n");
        QCOMPARE(run.status, 1); // floor 256 set: red in the floors window
        const QJsonObject message = JsonLine(run.out).value("messages").toArray().at(0).toObject();
        const QJsonArray floors = message["floors"].toArray();
        QCOMPARE(floors.size(), 256);
        QCOMPARE(floors[0].toString(), QString("11")); // C3: floors 1 and 4 on both sides
        QCOMPARE(floors[255].toString(), QString("01"));
        QCOMPARE(message["valid"].toBool(), false);
        QCOMPARE(message["data"].toObject()["Accesible Floors"].toObject()["valid"].toBool(), true);

        // Without --floors the same message is valid: the table has no rule for the floors.
        QCOMPARE(RunCli({"decode", "--json"}, Line20("40") + "\n").status, 0);
    }

    void floorsText() {
        // The first ten bytes of a 0x20 message: of the floors, only the first byte.
        const QByteArray shortLine = Line20().left(Line20().size() - 3 * 70);
        const CliRun run = RunCli({"decode", "--floors"}, Line20() + "\n" + shortLine + "\n");
        const QStringList lines = QString::fromUtf8(run.out).split('\n');
        QVERIFY(lines.contains("    01             (4th) 11     (3rd) 00     (2nd) 00     (1st) 11"));
        QVERIFY(lines.contains("    64                   00   (255th) 00   (254th) 00   (253rd) 00"));
        // A message cut short: the floors window shows the missing bytes empty and red.
        QVERIFY(lines.contains("    02             (8th) --!    (7th) --!    (6th) --!    (5th) --!"));
        QCOMPARE(run.status, 1);
    }

    void filesWithAndWithoutHeader() {
        QTemporaryDir dir;
        const QString withHeader = dir.filePath("capture.txt");
        const QString bare = dir.filePath("bare.txt");
        QVERIFY(WriteFile(withHeader, "[mm/dd/yyyy] [hh:mm:ss]\r\n" + kLine11 + "\r\n" + kLine10 + "\r\n"));
        QVERIFY(WriteFile(bare, kLine10 + "\n" + kLine11));

        const CliRun run = RunCli({"decode", withHeader, bare});
        QCOMPARE(run.status, 0);
        const QStringList lines = QString::fromUtf8(run.out).split('\n');
        // Line numbers are those of the file, so the first capture line of a capture file is line 2.
        QVERIFY(lines.contains(withHeader + ":2  [11/22/2012] [10:15:30]  8 bytes: one message"));
        QVERIFY(lines.contains(withHeader + ":3  [11/22/2012] [10:15:32]  16 bytes: one message"));
        QVERIFY(lines.contains(bare + ":1  [11/22/2012] [10:15:32]  16 bytes: one message"));
        QVERIFY(lines.contains(bare + ":2  [11/22/2012] [10:15:30]  8 bytes: one message"));
    }

    void invalidOnly() {
        const QByteArray input = kLine11 + "\n" + kLine11Bad + "\n" + kLine10 + "\n" + kLine10Short + "\n";
        const CliRun run = RunCli({"decode", "--invalid-only"}, input);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out.count("  Data length "), 2);
        QVERIFY(run.out.contains("-:2  [11/22/2012] [10:15:31]"));
        QVERIFY(run.out.contains("-:4  [11/22/2012] [10:15:33]"));

        const CliRun clean = RunCli({"decode", "--invalid-only"}, kLine11 + "\n" + kLine10 + "\n");
        QCOMPARE(clean.status, 0);
        QVERIFY(clean.out.isEmpty());
    }

    // Escape sequences in a file name (ESC and BEL, the 8-bit CSI in UTF-8) or in what the file holds
    // (a raw 8-bit CSI among them) never reach the terminal, on standard output or standard error: text shows
    // each control character as "?", JSON escapes it.
    void controlCharactersNeverReachTheTerminal_data() {
        QTest::addColumn<QString>(
            "file"); // "capture" (with a journal beside it), "packet capture", "missing"
        QTest::addColumn<bool>("json");
        QTest::addColumn<QByteArrayList>("expected"); // "out:" or "err:", then what that stream holds
        const QByteArray name = "x?]0;p??.txt", jsonName = "\"x\\u001B]0;p\\u0007\\u009B.txt\"";
        QTest::newRow("capture, text")
            << "capture" << false
            << QByteArrayList{"out:" + name + ":1  [d?[2J?] [t]  16 bytes",
                              "out:  Gate number       CHAR(4)   ?\?! 30", "err:" + name + ".journal exists"};
        QTest::newRow("capture, JSON") << "capture" << true
                                       << QByteArrayList{"out:{\"source\":" + jsonName + ",\"line\":1,",
                                                         "out:\"date\":\"d\\u001B[2J\\ufffd\""};
        QTest::newRow("packet capture, text")
            << "packet capture" << false << QByteArrayList{"out:" + name + ":1  [", "out:" + name + ":11  ["};
        QTest::newRow("packet capture, JSON")
            << "packet capture" << true << QByteArrayList{"out:{\"source\":" + jsonName + ",\"line\":1,"};
        QTest::newRow("missing") << "missing" << false
                                 << QByteArrayList{"err:cannot open " + name + ": No such"};
    }
    void controlCharactersNeverReachTheTerminal() {
        QFETCH(QString, file);
        QFETCH(bool, json);
        QFETCH(QByteArrayList, expected);
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/x\x1b]0;p\x07\xc2\x9b.txt";
        if (file == "capture")
            QVERIFY(capture_builder::WriteBytes(path,
                                                "[d\x1b[2J\x9b] [t] 0C 41 00 00 10 \x1b\x07 30 30 31 30 "
                                                "30 31 31 30 00 00\n") &&
                    capture_builder::WriteBytes(path + ".journal", ""));
        if (file == "packet capture")
            QVERIFY(capture_builder::WritePcap(path, DLT_EN10MB, SiteCapture()));
        // QProcess passes arguments as text, so the shell makes the name's bytes.
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start("/bin/sh", {"-c", "exec \"$0\" decode $1 \"$(printf 'x\\033]0;p\\007\\302\\233.txt')\"",
                                  CliProgram(), json ? "--json" : "--color=never"});
        QVERIFY(process.waitForFinished(30000));
        const QByteArray out = process.readAllStandardOutput(), err = process.readAllStandardError();
        for (const QByteArray& stream : {out, err})
            for (const char control : {'\x1b', '\x07', '\x9b'})
                QVERIFY2(!stream.contains(control), stream.constData());
        for (const QByteArray& text : expected)
            QVERIFY2((text.startsWith("out:") ? out : err).contains(text.mid(4)), (out + err).constData());
    }

    // Following a live recorder through a pipe: what has come is decoded and written before decode waits
    // for more.
    void followsAPipe() {
        QProcess process;
        process.start(CliProgram(), {"decode"});
        QVERIFY(process.waitForStarted(10000));
        process.write(kLine11 + "\n" + kLine10 + "\n");
        QByteArray out;
        const auto has = [&](const QByteArray& text) {
            out += process.readAllStandardOutput();
            return out.contains(text);
        };
        QVERIFY2(QTest::qWaitFor([&] { return has("-:2  [11/22/2012] [10:15:32]  16 bytes: one message"); },
                                 20000),
                 out.constData());
        QCOMPARE(process.state(), QProcess::Running); // the pipe is still open
        process.write(kLine11Bad + "\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(has("-:3  [11/22/2012] [10:15:31]"));
        QCOMPARE(process.exitCode(), 1);
    }

    // Reports come out in input order whatever worker decoded them, across batches of 4,096 lines, and
    // a packet capture's records stay between the right messages.
    void orderAcrossBatches_data() {
        QTest::addColumn<bool>("packetCapture");
        QTest::newRow("capture file of 10,000 lines") << false;
        QTest::newRow("packet capture: 9,000 messages, a gap among them, a second connection") << true;
    }
    void orderAcrossBatches() {
        QFETCH(bool, packetCapture);
        QTemporaryDir dir;
        const QString input = dir.filePath("input"), output = dir.filePath("output");
        QStringList expected; // what each record is and its number, in order
        if (packetCapture) {
            using namespace capture_builder;
            std::vector<Segment> segments;
            const auto add = [&](std::uint16_t clientPort, std::uint32_t seq, std::uint8_t flags,
                                 std::vector<std::uint8_t> payload) {
                Segment segment;
                segment.clientPort = clientPort;
                segment.seq = seq;
                segment.flags = flags;
                segment.payload = std::move(payload);
                segment.timeNs = kCaptureSecond * 1'000'000'000;
                segments.push_back(segment);
                return segments.size();
            };
            const std::vector<std::uint8_t> m11 = {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00};
            const auto record = [&](const char* kind, std::size_t packet) {
                expected << QString("%1 %2").arg(kind).arg(packet);
            };
            record("opened", add(50212, 999, kSyn, {}));
            for (std::uint32_t k = 0; k < 9000; ++k) {
                if (k == 5000)
                    continue; // missing from the capture
                const std::size_t packet = add(50212, 1000 + 8 * k, kAck, m11);
                if (k == 5001)
                    record("gap", packet);
                record("message", packet);
                if (k != 3000)
                    continue;
                // A second connection opens, sends and closes amid the first; its last ACK after the FIN
                // is no connection of its own.
                for (std::uint32_t j = 0; j < 3; ++j) {
                    const std::size_t other = add(50300, 7000 + 8 * j, kAck, m11);
                    if (j == 0)
                        record("opened", other);
                    record("message", other);
                }
                record("stream", add(50300, 7024, kFin | kAck, {}));
                add(50300, 7025, kAck, {});
            }
            // Reset with the bytes after the gap still held: they come out before its summary. Then the
            // same ports connect anew.
            record("stream", add(50212, 1000 + 8 * 9000, kRst, {}));
            record("opened", add(50212, 30000, kSyn, {}));
            const std::size_t last = add(50212, 30001, kAck, m11);
            record("message", last);
            record("stream", last);
            QVERIFY(WritePcap(input.toStdString(), DLT_EN10MB, segments));
        } else {
            QByteArray lines;
            for (int n = 1; n <= 10'000; ++n) {
                lines += (n % 3 ? kLine11 : kLine10Short) + '\n';
                expected << QString("message %1").arg(n);
            }
            QVERIFY(WriteFile(input, lines));
        }
        DecodeInputs inputs;
        inputs.files = {input.toStdString()};
        DecodeOptions options;
        options.json = true;
        QFile out(output);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(RunDecode(inputs, options, 3, out.handle()).outputError, 0);
        out.close();
        QVERIFY(out.open(QIODevice::ReadOnly));
        QStringList got;
        for (const QByteArray& text : out.readAll().split('\n')) {
            if (text.isEmpty())
                continue;
            const QJsonObject o = JsonLine(text);
            const char* kind = o.contains("stream")   ? "stream"
                               : o.contains("gap")    ? "gap"
                               : o.contains("opened") ? "opened"
                                                      : "message";
            got << QString("%1 %2").arg(kind).arg(o["line"].toInt());
        }
        QCOMPARE(got, expected);
    }

    void hexMessage() {
        const CliRun run = RunCli({"decode", "--hex", "4 41 0 0 11 0 0 0", "--hex", "0C4100001030"});
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.startsWith("--hex:1  8 bytes: one message\n"));
        QVERIFY(run.out.contains("--hex:2  6 bytes: part of a message of 16 bytes, 10 short\n"));
        // No file and no standard input read when a message is given.
        QVERIFY(!run.out.contains("-:1"));
    }

    // Recognised by content, whatever the name; pcap written by libpcap, pcapng by hand.
    void packetCapture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("pcapng");
        QTest::newRow("pcap") << "site.txt" << false;
        QTest::newRow("pcapng") << "site.pcap" << true;
    }
    void packetCapture() {
        QFETCH(QString, name);
        QFETCH(bool, pcapng);
        QTemporaryDir dir;
        const std::string path = dir.filePath(name).toStdString();
        QVERIFY(pcapng ? capture_builder::WriteBytes(path, capture_builder::Pcapng(DLT_EN10MB, SiteCapture()))
                       : capture_builder::WritePcap(path, DLT_EN10MB, SiteCapture()));

        const CliRun json = RunCli({"decode", "--json", QString::fromStdString(path)});
        QCOMPARE(json.status, 1); // the gaps: bytes of a message are missing
        QCOMPARE(json.err, QByteArray());
        // Connections interleave as their bytes could be read; a summary follows its connection's end.
        const QStringList expected = {
            "1 50212 t1 opened valid",
            "2 50212 t2 one 8 bytes short=0 cmd=11 valid",
            "4 50300 t4 opened valid",
            "4 50300 t4 one 8 bytes short=0 cmd=11 valid",
            "7 50212 t7 one 16 bytes short=0 cmd=10 valid",
            "6 50212 t6 one 8 bytes short=0 cmd=11 valid",
            "9 50212 t9 part 6 bytes short=10 cmd=10 invalid",
            "11 50212 t11 gap 38+6 cut=32/16 passed=4 message end invalid",
            "11 50212 t11 one 8 bytes short=0 cmd=11 valid",
            "12 50212 t12 stream 50 bytes 5 messages syn=true fin=true repeated=1 reordered=1 gaps=1 "
            "missing=6 invalid",
            "10 50300 t10 gap 8+16 cut=none passed=0 next segment invalid",
            "10 50300 t10 one 8 bytes short=0 cmd=11 valid",
            "10 50300 t10 stream 16 bytes 2 messages syn=false fin=false repeated=0 reordered=0 gaps=1 "
            "missing=16 invalid",
        };
        QCOMPARE(Trace(json.out), expected);

        const CliRun text = RunCli({"decode", QString::fromStdString(path)});
        QCOMPARE(text.status, 1);
        const QString out = QString::fromUtf8(text.out);
        const QString a = "  192.168.10.5:50212 > 192.168.10.9:60173  ";
        for (const QString& line :
             {a + "connection: 50 bytes, 5 messages, SYN seen, closed by FIN, 1 segment repeated, 1 segment "
                  "out of order, 1 gap (6 bytes missing)\n",
              a + "6 bytes: part of a message of 16 bytes, 10 short\n",
              a + "gap: 6 bytes missing from the capture at stream byte 38; it cuts the message of 16 bytes "
                  "from stream byte 32; its last 4 bytes after the gap are passed over\n",
              QString(
                  "  192.168.10.5:50300 > 192.168.10.9:60173  connection: 16 bytes, 2 messages, SYN not in "
                  "the capture, still open at the end of the capture, 1 gap (16 bytes missing)\n"),
              QString("  192.168.10.5:50300 > 192.168.10.9:60173  gap: 16 bytes missing from the capture at "
                      "stream byte 8; framing starts again at packet 10, which may begin inside a message\n"),
              QString("  Gate number       CHAR(4)   30  30  30  33")})
            QVERIFY2(out.contains(line), qPrintable(line));
        QCOMPARE(out.count(QStringLiteral(":11  [")), 2); // the gap and the message after it

        const CliRun other = RunCli({"decode", "--json", "--port", "60174", QString::fromStdString(path)});
        QCOMPARE(other.status, 0);
        QCOMPARE(Trace(other.out),
                 (QStringList{
                     "8 50400 t8 opened valid", "8 50400 t8 one 8 bytes short=0 cmd=11 valid",
                     "8 50400 t8 stream 8 bytes 1 messages syn=false fin=false repeated=0 reordered=0 gaps=0 "
                     "missing=0 valid"}));
    }

    // Telling a packet capture by its first bytes must not take them from a pipe given by name.
    void pipeGivenByName() {
        const CliRun run = RunCli({"decode", "/dev/stdin"}, kLine11 + "\n");
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith("/dev/stdin:1  [11/22/2012] [10:15:30]  8 bytes: one message\n"),
                 run.out.constData());
    }

    // What was read before a fault is decoded; the fault is an input error.
    void packetCaptureFaults_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("records");
        QTest::newRow("cut in its last packet")
            << QByteArray("cut") << "cannot read %1 to its end: truncated dump file" << 13;
        QTest::newRow("no traffic to the port")
            << QByteArray("port")
            << "%1: no TCP connection to port 60175 in 12 packets (--port chooses another)" << 0;
        QTest::newRow("another link type")
            << QByteArray("link") << "cannot read %1: the capture's link type is IEEE802_11" << 0;
        QTest::newRow("bad --port") << QByteArray("usage") << "not a port number: 70000" << 0;
    }
    void packetCaptureFaults() {
        QFETCH(QByteArray, kind);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("site.pcap");
        QVERIFY(capture_builder::WritePcap(path.toStdString(), kind == "link" ? DLT_IEEE802_11 : DLT_EN10MB,
                                           SiteCapture()));
        if (kind == "cut")
            QVERIFY(QFile::resize(path, QFileInfo(path).size() - 10));
        QStringList arguments = {"decode", "--json", path};
        if (kind == "port" || kind == "usage")
            arguments << "--port" << (kind == "port" ? "60175" : "70000");
        const CliRun run = RunCli(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(message.contains("%1") ? message.arg(path) : message),
                 run.err.constData());
        QTEST(static_cast<int>(run.out.count('\n')), "records");
    }

    void usageAndInputErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file")
            << QStringList{"decode", "/nonexistent/capture.txt"}
            << "tarc-emulator decode: cannot open /nonexistent/capture.txt: No such file or directory";
        QTest::newRow("directory") << QStringList{"decode", "/"}
                                   << "tarc-emulator decode: cannot read /: Is a directory";
        QTest::newRow("unknown option") << QStringList{"decode", "--jsn"} << "Unknown option 'jsn'";
        QTest::newRow("bad hex") << QStringList{"decode", "--hex", "04 4G"} << "--hex takes 1 to 256 bytes";
        QTest::newRow("unknown command")
            << QStringList{"decod"}
            << "tarc-emulator: unknown command \"decod\": the commands are decode, record, send and report";
        QTest::newRow("unknown option, not a window")
            << QStringList{"--verison"}
            << "tarc-emulator: unknown option \"--verison\": the commands are decode";
        // Qt's window options before a typing error: still the typing error, never a window.
        QTest::newRow("window option, then a typing error")
            << QStringList{"-platform", "offscreen", "--verison"} << "unknown option \"--verison\"";
        QTest::newRow("window options, then -x")
            << QStringList{"-style=fusion", "-reverse", "-x"} << "unknown option \"-x\"";
        // Endless or foreign input is refused before it is held whole.
        QTest::newRow("no line ends") << QStringList{"decode", "/dev/zero"}
                                      << "cannot read /dev/zero: line 1 is longer than 4 MB (4194304 bytes); "
                                         "not a capture file";
        const QString utf16 = m_dir.filePath("utf16.txt");
        WriteFile(utf16, QByteArray("[\0h\0]\0\n\0", 8));
        QTest::newRow("UTF-16 without a mark")
            << QStringList{"decode", utf16} << "its first line holds NUL bytes";
    }

    void usageAndInputErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        // A window opened by mistake would hang on the offscreen platform: the time limit fails it.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const CliRun run = RunCli(arguments, kLine11 + "\n", 10000);
        qunsetenv("QT_QPA_PLATFORM");
        QCOMPARE(run.status, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
        QVERIFY(run.out.isEmpty());
    }

    // Without a display the window says how to run it and stops, instead of Qt aborting.
    void noDisplay() {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        process.setProcessEnvironment(environment);
        process.start(CliProgram(), {});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.contains("xvfb-run tarc-emulator") && err.count('\n') == 1, err.constData());
    }

    void versionAndHelp() {
        const CliRun version = RunCli({"--version"});
        QCOMPARE(version.status, 0);
        QVERIFY2(QRegularExpression("^tarc-emulator \\d+\\.\\d+\\.\\d+\n$")
                     .match(QString::fromUtf8(version.out))
                     .hasMatch(),
                 version.out.constData());
        for (const QString command : {"decode", "record", "send"}) {
            const CliRun help = RunCli({command, "--help"});
            QCOMPARE(help.status, 0);
            QVERIFY(help.out.startsWith("Usage: tarc-emulator " + command.toUtf8()));
            QCOMPARE(RunCli({"help", command}).out, help.out);
        }
        const CliRun help = RunCli({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("decode [FILE ...]"));
        // Window options before them change nothing: no window, and no want of a display.
        for (const QStringList& options : {QStringList{"-platform", "offscreen"}, {"-style", "fusion"}}) {
            QCOMPARE(RunCli(options + QStringList{"--help"}, {}, 10000).out, help.out);
            QCOMPARE(RunCli(options + QStringList{"--version"}, {}, 10000).out, version.out);
            const CliRun decoded = RunCli(options + QStringList{"decode", "-"}, kLine11 + "\n", 10000);
            QCOMPARE(decoded.status, 0);
            QVERIFY(decoded.out.contains("8 bytes: one message"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliDecode)
#include "test_cli_decode.moc"
