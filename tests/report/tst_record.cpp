// The commissioning record: what it counts rule by rule, and that its forms say the same.
#include "capture/CaptureLine.h"
#include "common/modCommon.h"
#include "report/RecordWriters.h"
#include "report/TestPlan.h"

#include <cctype>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {

constexpr const char* kMessage10 = "0C 41 00 00 10 30 30 31 32 30 31 35 31 32 01 00";
constexpr const char* kMessage11 = "04 41 00 00 11 00 00 00";

// Lines oldest first; "+" in front starts a new stream (a new connection), "~" leaves out the date and
// time. Line n is dated 10:00:0n. With bytes: the bytes of a line whose tokens are all bytes are handed
// over beside it, as a packet capture's reader hands them.
void Feed(CommissioningRecord& record, const QStringList& lines, bool withBytes = false) {
    std::uint64_t number = 0;
    for (QString line : lines) {
        ++number;
        const bool newStream = line.startsWith('+');
        if (newStream)
            line.remove(0, 1);
        if (line.startsWith('~'))
            line.remove(0, 1);
        else
            line = QStringLiteral("[12/07/2026] [10:00:%1] ").arg(number, 2, 10, QChar('0')) + line;
        const std::string text = line.toStdString();
        std::vector<std::uint8_t> bytes;
        bool allBytes = withBytes;
        for (const std::string_view token : modCommon::SplitFields(SplitCaptureLine(text).byteText)) {
            allBytes = allBytes && token.size() == 2 &&
                       std::isxdigit(static_cast<unsigned char>(token[0])) != 0 &&
                       std::isxdigit(static_cast<unsigned char>(token[1])) != 0;
            bytes.push_back(modCommon::HexLowByte(token));
        }
        record.AddLine({"site.txt", number, text, {}, newStream, false, allBytes, bytes});
    }
    record.Finish();
}

std::size_t RuleIndex(std::string_view name) {
    for (std::size_t rule = 0; rule < RecordRules::kCount; ++rule)
        if (RecordRules::Info(rule).name == name)
            return rule;
    return RecordRules::kCount;
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void rules_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<int>("exercised");
        QTest::addColumn<int>("broken");
        QTest::addColumn<QString>("example"); // in the first example's place and reason
        QTest::addColumn<int>("messages");
        const QString m10 = kMessage10;
        QTest::newRow("two bad gate bytes: one break of one message")
            << QStringList{"0C 41 00 00 10 41 30 42 32 30 31 35 31 32 01 00", m10} << "0x10.gate.digit" << 2
            << 1 << "byte 6 is 0x41 (\"A\")" << 2;
        QTest::newRow("a range is judged only when every digit is there")
            << QStringList{"0C 41 00 00 10 41 30 42 32 30 31 35 31 32 01 00",
                           "0C 41 00 00 10 30 30 30 30 30 31 35 31 32 01 00"}
            << "0x10.gate.range" << 1 << 1 << "gate number \"0000\": outside 0001 to 9999" << 2;
        QTest::newRow("length 0x0C with command 0x11, which the table passes")
            << QStringList{"0C 41 00 00 11 00 00 00 00 00 00 00 00 00 00 00"} << "length.command" << 1 << 1
            << "data length 0x0C with command 0x11, which needs 0x04" << 1;
        QTest::newRow("zz reads as 00 in the table")
            << QStringList{"04 41 00 00 11 00 zz 00"} << "bytes.hex" << 1 << 1 << "byte 7 is \"zz\"" << 1;
        QTest::newRow("a line without date and time")
            << QStringList{m10, "~" + QString(kMessage11)} << "line.datetime" << 2 << 1 << "the line" << 2;
        QTest::newRow("a message finished by the next line")
            << QStringList{"0C 41 00 00 10 30 30", "31 32 30 31 35 31 32 01 00 " + QString(kMessage11)}
            << "framing.whole" << 2 << 0 << "" << 2;
        QTest::newRow("a new connection cuts short what the last one left")
            << QStringList{"0C 41 00 00 10 30 30", "+" + m10} << "framing.whole" << 2 << 1
            << "message 1 of 1, 9 bytes missing: 7 of 16 bytes" << 2;
        QTest::newRow("a third message of a line")
            << QStringList{QString(kMessage11) + " " + kMessage11 + " 04 41 01"} << "header.reserve" << 3 << 1
            << "message 3 of 3" << 3;
        QTest::newRow("bytes that are not a message")
            << QStringList{"00 00 00 00", m10} << "framing.message" << 2 << 1 << "begins 0x00 0x00" << 2;
        QTest::newRow("no 0x20 message: its rules not exercised")
            << QStringList{m10, kMessage11} << "0x20.gate.range" << 0 << 0 << "" << 2;
    }

    void rules() {
        QFETCH(QStringList, lines);
        QFETCH(QString, rule);
        QFETCH(int, broken);
        QFETCH(QString, example);
        CommissioningRecord record, fromBytes;
        Feed(record, lines);
        Feed(fromBytes, lines, true);
        QCOMPARE(QString::fromStdString(RecordJson(fromBytes)), QString::fromStdString(RecordJson(record)));
        const RuleCount& count = record.rules().Of(RuleIndex(rule.toStdString()));
        QTEST(int(count.exercised), "exercised");
        QCOMPARE(int(count.broken), broken);
        QTEST(int(record.messages()), "messages");
        QCOMPARE(count.verdict(), count.exercised == 0 ? Verdict::NotExercised
                                  : broken > 0         ? Verdict::Broken
                                                       : Verdict::Held);
        if (broken > 0) {
            const RuleExample& first = count.examples.front();
            QVERIFY2(QString::fromStdString(first.place + ": " + first.reason).contains(example),
                     (first.place + ": " + first.reason).c_str());
            QCOMPARE(first.date.empty(), example == "the line"); // a line without its date has none to give
        }
    }

    // The first five breaks in input order are kept, with where each was.
    void examplesCapped() {
        QStringList lines;
        for (int i = 0; i < 7; ++i)
            lines << "04 41 00 00 11 00 00 01";
        CommissioningRecord record, fromBytes;
        Feed(record, lines);
        Feed(fromBytes, lines, true);
        QCOMPARE(QString::fromStdString(RecordJson(fromBytes)), QString::fromStdString(RecordJson(record)));
        const RuleCount& count = record.rules().Of(RecordRules::Index(FieldRules::Rule::Reserve11));
        QCOMPARE(int(count.broken), 7);
        QCOMPARE(int(count.examples.size()), int(RuleTally::kExamples));
        for (std::size_t i = 0; i < count.examples.size(); ++i) {
            QCOMPARE(count.examples[i].number, i + 1);
            QCOMPARE(QString::fromStdString(count.examples[i].time),
                     QStringLiteral("10:00:%1").arg(i + 1, 2, 10, QChar('0')));
        }
    }

    // A capture file read from its end counts its lines from there until their number is known.
    void numberedFromTheStart() {
        CommissioningRecord record;
        const std::string bad = "[12/07/2026] [10:00:01] 04 41 00 00 11 00 00 01";
        const std::string good = std::string("[12/07/2026] [10:00:02] ") + kMessage11;
        record.AddLine({"site.txt", 1, good, {}, true, true}); // the file's last line
        record.AddLine({"site.txt", 2, bad, {}, false, true});
        record.Finish();
        record.NumberFromEnd(3); // FormatText and two lines
        QCOMPARE(record.rules().Of(RecordRules::Index(FieldRules::Rule::Reserve11)).examples.front().number,
                 2u);
    }

    // The same figures in HTML, JSON and JUnit; not exercised is skipped in JUnit and never held, and
    // an expectation of the plan is met only by enough valid messages.
    void formsAgree() {
        CommissioningRecord record;
        record.setTitle("Lift 3 <east>");
        const TestPlan plan = ParseTestPlan("Gate 12: 10 --gate 12\nBeat: 11\nGate 9: 10 --gate 9\n"
                                            "Twice at 12: 10 --gate 12 --count 2\n");
        QVERIFY(plan.Ok());
        record.SetPlan(plan.expectations);
        Feed(record, {kMessage10, "04 41 00 00 11 00 zz 01", "0C 41 00 00 10 30 30"});
        QVERIFY(!record.passed());

        QXmlStreamReader xml(QByteArray::fromStdString(RecordJunit(record)));
        int cases = 0, failures = 0, skipped = 0;
        QXmlStreamAttributes suite;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            cases += xml.name() == QLatin1String("testcase");
            failures += xml.name() == QLatin1String("failure");
            skipped += xml.name() == QLatin1String("skipped");
            if (xml.name() == QLatin1String("testsuite"))
                suite = xml.attributes();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(suite.value("name").toString(), QStringLiteral("Lift 3 <east>"));
        QCOMPARE(suite.value("tests").toInt(), cases);
        QCOMPARE(suite.value("failures").toInt(), failures);
        QCOMPARE(suite.value("skipped").toInt(), skipped);
        QCOMPARE(cases, int(RecordRules::kCount) + 4);
        const RuleTally::Totals totals = record.rules().totals();
        // 0x11.reserve, bytes.hex, framing.whole; Beat seen invalid, Gate 9 not seen, Twice seen once
        QCOMPARE(failures, 6);
        QCOMPARE(int(totals.broken), 3);
        QCOMPARE(skipped, int(totals.notExercised));
        QVERIFY(skipped > 0);

        const QJsonObject json =
            QJsonDocument::fromJson(QByteArray::fromStdString(RecordJson(record))).object();
        QCOMPARE(json["rules_broken"].toInt(), 3);
        QCOMPARE(json["plan_met"].toInt(), 1);
        QStringList states;
        for (const QJsonValue expectation : json["plan"].toArray())
            states << expectation["state"].toString() + (expectation["met"].toBool() ? " (met)" : "");
        const QStringList expected = {"seen (met)", "seen, invalid", "not seen", "seen, fewer than asked"};
        QCOMPARE(states, expected);
        QCOMPARE(json["rules_not_exercised"].toInt(), skipped);
        QCOMPARE(json["rules_held"].toInt(), int(totals.held));
        QCOMPARE(json["messages"].toInt(), int(record.messages()));
        int jsonSkipped = 0;
        for (const QJsonValue rule : json["rules"].toArray())
            jsonSkipped += rule["verdict"] == QStringLiteral("not exercised");
        QCOMPARE(jsonSkipped, skipped);

        // The figures row of the page: lines, messages, invalid, held, broken, not exercised.
        const QString html = QString::fromStdString(RecordHtml(record, {}));
        QRegularExpression cell(R"(<td class="n">(\d+)</td>)");
        QStringList figures;
        for (auto match = cell.globalMatch(html); match.hasNext() && figures.size() < 6;)
            figures << match.next().captured(1);
        QCOMPARE(figures,
                 (QStringList{"3", QString::number(record.messages()),
                              QString::number(record.invalidMessages()), QString::number(totals.held),
                              QString::number(totals.broken), QString::number(skipped)}));
        QVERIFY(html.contains("Lift 3 &lt;east&gt;"));
        QCOMPARE(html.count("not exercised</td>"), skipped);
        for (const QString& state : expected.mid(1))
            QVERIFY2(html.contains(QRegularExpression("class=\"broken\">\\S+ " + state + "</td>")),
                     qPrintable(state));
        QVERIFY(html.contains("1 of 4 expectations of the plan met"));
        QVERIFY(!html.contains("<script"));
    }

    // Bins adapt to the span: every message stays counted, the width grows only as far as needed.
    void timelineAdapts() {
        Timeline timeline;
        const std::int64_t start = 1'000'000;
        for (const std::int64_t offset : {0, 30, 59, 3600, -600, 7199})
            timeline.Add(start + offset, Timeline::k10, offset != 30);
        std::uint64_t valid = 0, invalid = 0;
        for (const Timeline::Bin& bin : timeline.bins()) {
            valid += bin.valid[Timeline::k10];
            invalid += bin.invalid[Timeline::k10];
        }
        QCOMPARE(valid, 5u);
        QCOMPARE(invalid, 1u);
        QVERIFY(timeline.origin() <= start - 600);
        QVERIFY(timeline.origin() + timeline.width() * std::int64_t(Timeline::kBins) > start + 7199);
        QCOMPARE(timeline.width(), 256); // 7800 s over 60 bins: 130 s, so the first doubling that fits
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
