// tarc-emulator decode and the top-level arguments, end to end as a separate process.
#include "CliProcess.h"

#include <algorithm>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

} // namespace

class TestCliDecode : public QObject {
    Q_OBJECT

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
        QVERIFY(run.err.isEmpty());
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
        QTest::newRow("unlisted command")
            << QByteArray("[11/22/2012] [10:15:36] 04 41 00 00 12 00 00 00") << 1
            << QStringList{"  Command           BYTE(1)   12!                   0x10 or 0x11 or 0x20"};
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
                           "  Reserve           BYTE(1)   00                    0x00 (fixed)",
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
        QCOMPARE(message["header"].toObject().size(), 3);
        QCOMPARE(message["data"].toObject().size(), 7);

        // Two 0x11 messages in one read: both decoded, each with its own rows.
        const QJsonObject several = JsonLine(lines[1]);
        QVERIFY2(Has(several, JsonLine(QByteArray(kJsonSeveral).replace('\'', '"'))), lines[1].constData());
        QVERIFY(!several["messages"].toArray()[0].toObject().contains("floors"));
    }

    void jsonFloors() {
        const CliRun run = RunCli({"decode", "--json", "--floors"}, Line20("40") + "\n");
        QCOMPARE(run.status, 1); // floor 256 set: red in the floors window
        const QJsonObject message = JsonLine(run.out).value("messages").toArray().at(0).toObject();
        const QJsonArray floors = message["floors"].toArray();
        QCOMPARE(floors.size(), 256);
        QCOMPARE(floors[0].toString(), QString("11")); // C3: floors 1 and 4 on both sides
        QCOMPARE(floors[1].toString(), QString("00"));
        QCOMPARE(floors[3].toString(), QString("11"));
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
        QVERIFY(lines.contains("     00 : Not accessible"));
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
        QCOMPARE(run.out.count("bytes: one message"), 4);
    }

    void invalidOnly() {
        const QByteArray input = kLine11 + "\n" + kLine11Bad + "\n" + kLine10 + "\n" + kLine10Short + "\n";
        const CliRun run = RunCli({"decode", "--invalid-only"}, input);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out.count("  Data length "), 2);
        QVERIFY(run.out.contains("-:2  [11/22/2012] [10:15:31]"));
        QVERIFY(run.out.contains("-:4  [11/22/2012] [10:15:33]"));

        const CliRun json = RunCli({"decode", "--invalid-only", "--json"}, input);
        QCOMPARE(json.out.trimmed().split('\n').size(), 2);

        const CliRun clean = RunCli({"decode", "--invalid-only"}, kLine11 + "\n" + kLine10 + "\n");
        QCOMPARE(clean.status, 0);
        QVERIFY(clean.out.isEmpty());
    }

    void controlCharactersNeverReachTheTerminal() {
        // An edited file can hold escape sequences in its date, time or tokens; the text report shows
        // them as "?", while JSON escapes them.
        const QByteArray line = "[d\x1b[2J] [t] 0C 41 00 00 10 \x1b\x07 30 30 31 30 30 31 31 30 00 00\n";
        const CliRun text = RunCli({"decode", "--color", "always"}, line);
        QCOMPARE(text.status, 1);
        QVERIFY(!text.out.contains("\x1b[2J"));
        QVERIFY(!text.out.contains('\x07'));
        QVERIFY(text.out.contains("[d?[2J]"));
        QVERIFY(text.out.contains("??"));
        const CliRun json = RunCli({"decode", "--json"}, line);
        QVERIFY(json.out.contains("d\\u001B[2J"));
    }

    void hexMessage() {
        const CliRun run = RunCli({"decode", "--hex", "4 41 0 0 11 0 0 0", "--hex", "0C4100001030"});
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.startsWith("--hex:1  8 bytes: one message\n"));
        QVERIFY(run.out.contains("--hex:2  6 bytes: part of a message of 16 bytes, 10 short\n"));
        // No file and no standard input read when a message is given.
        QVERIFY(!run.out.contains("-:1"));
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
        QTest::newRow("unknown command") << QStringList{"decod"}
                                         << "tarc-emulator: unknown command \"decod\": the commands are decode, record and send";
        QTest::newRow("unknown option, not a window")
            << QStringList{"--verison"} << "tarc-emulator: unknown option \"--verison\": the commands are decode";
        QTest::newRow("unknown short option") << QStringList{"-x"} << "unknown option \"-x\"";
    }

    void usageAndInputErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CliRun run = RunCli(arguments, kLine11 + "\n");
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
        QCOMPARE(version.out, QByteArray("tarc-emulator 1.1.0\n"));
        for (const QString command : {"decode", "record", "send"}) {
            const CliRun help = RunCli({command, "--help"});
            QCOMPARE(help.status, 0);
            QVERIFY(help.out.startsWith("Usage: tarc-emulator " + command.toUtf8()));
            QCOMPARE(RunCli({"help", command}).out, help.out);
        }
        const CliRun help = RunCli({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("decode [FILE ...]"));
    }
};

QTEST_GUILESS_MAIN(TestCliDecode)
#include "test_cli_decode.moc"
