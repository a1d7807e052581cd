// "tarc-emulator report" as a script or a CI job runs it: its inputs, its outputs and its exit status.
#include "CliProcess.h"
#include "support/CaptureBuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

const QByteArray kValid10 = "0C 41 00 00 10 30 30 31 32 30 31 35 31 32 01 00";

// A capture file as the window saves it: FormatText, then the lines newest first.
QByteArray CaptureFile(const QList<QByteArray>& oldestFirst) {
    QByteArray text = "[mm/dd/yyyy] [hh:mm:ss]\r\n";
    for (qsizetype i = oldestFirst.size(); i-- > 0;)
        text += "[12/07/2026] [10:00:" + QByteArray::number(10 + i) + "] " + oldestFirst[i] + "\r\n";
    return text;
}

QJsonObject Rule(const QJsonObject& record, const QString& name) {
    for (const QJsonValue rule : record["rules"].toArray())
        if (rule["name"] == name)
            return rule.toObject();
    return {};
}

} // namespace

class TestCliReport : public QObject {
    Q_OBJECT

private slots:
    void exitStatus_data() {
        QTest::addColumn<QString>("input"); // "file", "pcap with a gap", "missing"
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QByteArray>("plan"); // none when empty
        QTest::newRow("every exercised rule held")
            << "file" << QList<QByteArray>{kValid10} << 0 << "result: held" << QByteArray();
        // The message begun on the older line is finished by the newer one, which the file holds above it.
        QTest::newRow("a message across two lines")
            << "file" << QList<QByteArray>{kValid10.left(20), kValid10.mid(21)} << 0
            << "1 messages, 0 invalid" << QByteArray();
        QTest::newRow("a reserve byte 01") << "file" << QList<QByteArray>{"04 41 00 00 11 00 00 01"} << 1
                                           << "0x11.reserve: 1 of 1 messages" << QByteArray();
        QTest::newRow("a gap in a packet capture")
            << "pcap with a gap" << QList<QByteArray>{} << 1 << "capture.gap" << QByteArray();
        // Each message decoded from its own bytes, whichever message came before.
        QTest::newRow("one bad message among three in a packet capture")
            << "pcap" << QList<QByteArray>{} << 1 << "0x11.reserve: 1 of 3 messages" << QByteArray();
        QTest::newRow("no such file") << "missing" << QList<QByteArray>{} << 2 << "" << QByteArray();
        QTest::newRow("every expectation met")
            << "file" << QList<QByteArray>{kValid10} << 0 << "plan: 1 of 1 met\nresult: held"
            << QByteArray("# gate 12\nGate 12: 10 --gate 12 --door front\n");
        QTest::newRow("every rule held, an expectation not seen")
            << "file" << QList<QByteArray>{kValid10} << 1 << "plan: 1 of 2 met\n  Beat: not seen"
            << QByteArray("Gate 12: 10 --gate 12\nBeat: 11\n");
        QTest::newRow("met, seen invalid, not seen")
            << "file" << QList<QByteArray>{kValid10, "04 41 00 00 11 00 00 01"} << 1
            << "plan: 1 of 3 met\n  Beat: seen, invalid: 1 matching message, each breaking a rule elsewhere, "
               "the first at 10:00:11\n  Gate 9: not seen"
            << QByteArray("Gate 12: 10 --gate 12\nBeat: 11\nGate 9: 10 --gate 9\n");
        QTest::newRow("a plan that does not parse: nothing written")
            << "file" << QList<QByteArray>{kValid10} << 2 << "" << QByteArray("Beat: 11\nVIP: 20 --door 1\n");
    }
    void exitStatus() {
        QFETCH(QString, input);
        QFETCH(QList<QByteArray>, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath("in");
        if (input == "file") {
            QVERIFY(WriteFile(path, CaptureFile(lines)));
        } else if (input.startsWith("pcap")) {
            using namespace capture_builder;
            const std::vector<std::uint8_t> m11 = {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00};
            const bool gap = input == "pcap with a gap";
            std::vector<Segment> segments(gap ? 4 : 3);
            for (std::uint32_t k = 0; k < segments.size(); ++k) {
                segments[k].seq = 1000 + 8 * (k < 2 || !gap ? k : k + 1); // the third message is missing
                segments[k].payload = m11;
            }
            if (!gap)
                segments[1].payload.back() = 0x01;
            QVERIFY(WritePcap(path.toStdString(), DLT_EN10MB, segments));
        }
        QFETCH(QByteArray, plan);
        QStringList arguments = {"report", "--json", dir.filePath("r.json"), path};
        if (!plan.isEmpty()) {
            QVERIFY(WriteFile(dir.filePath("plan.txt"), plan));
            arguments << "--plan" << dir.filePath("plan.txt");
        }
        const CliRun run = RunCli(arguments);
        QTEST(run.status, "status");
        QFETCH(QString, out);
        QVERIFY2(QString::fromUtf8(run.out).contains(out), run.out.constData());
        if (run.status == 2 && !plan.isEmpty())
            QVERIFY2(run.err.contains("plan " + dir.filePath("plan.txt").toUtf8() +
                                      ": line 2: --door: a message of command 20 has no such field"),
                     run.err.constData());
        QCOMPARE(QFile::exists(dir.filePath("r.json")), run.status != 2);
    }

    // An output that cannot be written is an error and leaves what was there; the others are written.
    void failedOutput() {
        QTemporaryDir dir;
        const QString input = dir.filePath("in"), html = dir.filePath("r.html"),
                      folder = dir.filePath("folder");
        QVERIFY(WriteFile(input, CaptureFile({kValid10})));
        QVERIFY(WriteFile(html, "earlier"));
        QVERIFY(QDir().mkdir(folder));
        const CliRun run = RunCli({"report", "--html", html, "--junit", folder, input});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains("cannot write " + folder.toUtf8()));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(ReadAll(html).startsWith("<!DOCTYPE html>"));
    }

    // The lines of a capture file are counted from its first line, though read from its end, and the
    // same file through standard input gives the same record.
    void examplesNumberedAsTheFile() {
        QTemporaryDir dir;
        const QString input = dir.filePath("in");
        const QByteArray text = CaptureFile({kValid10, "04 41 00 00 11 00 zz 00", kValid10, kValid10});
        QVERIFY(WriteFile(input, text));
        const CliRun fromFile =
            RunCli({"report", "--title", "Lift 3", "--json", dir.filePath("f.json"), input});
        QCOMPARE(fromFile.status, 1);
        const CliRun fromPipe =
            RunCli({"report", "--title", "Lift 3", "--json", dir.filePath("p.json")}, text);
        QCOMPARE(fromPipe.status, 1);
        const QJsonObject record = QJsonDocument::fromJson(ReadAll(dir.filePath("f.json"))).object();
        const QJsonObject hex = Rule(record, "bytes.hex");
        QCOMPARE(hex["broken"].toInt(), 1);
        // FormatText is line 1, the newest line 2: the second oldest of four is line 4.
        QCOMPARE(hex["examples"][0]["line"].toInt(), 4);
        QCOMPARE(record["title"].toString(), QStringLiteral("Lift 3"));
        const QJsonObject piped = QJsonDocument::fromJson(ReadAll(dir.filePath("p.json"))).object();
        QCOMPARE(Rule(piped, "bytes.hex")["examples"][0]["line"].toInt(), 4);
        for (const char* figure : {"messages", "rules_held", "rules_broken", "rules_not_exercised"})
            QCOMPARE(piped[figure], record[figure]);
    }
};

QTEST_GUILESS_MAIN(TestCliReport)
#include "test_cli_report.moc"
