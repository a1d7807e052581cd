// Test plans: the grammar of a plan file and how messages meet its expectations.
#include "report/PlanMatcher.h"
#include "report/TestPlan.h"

#include <QTest>

namespace {

QString Hex(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
        .toHex(' ')
        .toUpper();
}

// What a plan parsed into, expectation by expectation: "line: name | fields given | count | bytes sent",
// or the refusal.
QString Described(const TestPlan& plan) {
    if (!plan.Ok())
        return "refused " + QString::fromStdString(plan.ErrorText());
    QStringList described;
    for (const Expectation& e : plan.expectations) {
        QStringList given;
        for (std::size_t i = 0; i < kFieldWordCount; ++i)
            if (e.Gives(static_cast<FieldWord>(i)))
                given << QString::fromLatin1(kFieldWordNames[i].data());
        described << QStringLiteral("%1: %2 | %3 | %4 | %5")
                         .arg(e.line)
                         .arg(QString::fromStdString(e.name), given.join(','))
                         .arg(e.count)
                         .arg(Hex(BuildMessage(e.fields)));
    }
    return described.join('\n');
}

const QString k10 = "0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00"; // gate 3, floor 15, front, general
const QString k11 = "04 41 00 00 11 00 00 00";
QString Message20(const QString& firstFloors) {
    return "4C 41 00 00 20 30 30 30 32 " + firstFloors + QString(" 00").repeated(63) +
           " 32 05 00 00 00 00 00";
}
std::string Line(const QString& bytes, int second = 30) {
    return QStringLiteral("[11/22/2012] [10:15:%1] %2").arg(second).arg(bytes).toStdString();
}

} // namespace

class TestPlanFile : public QObject {
    Q_OBJECT

private slots:
    void grammar_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("parsed");
        QTest::newRow("every field of 0x10, count")
            << QByteArray("Gate 3 to floor 15: 10 --gate 3 --dest-floor 15 --door rear --attr vip --seq 0x7F "
                          "--count 2")
            << "1: Gate 3 to floor 15 | gate,dest-floor,door,attr,seq | 2 | "
               "0C 41 00 00 10 30 30 30 33 30 31 35 32 32 7F 00";
        QTest::newRow("0x20: floors, option=value, shell quotes")
            << QByteArray("VIP: 0x20 --gate=2 --attr vip --floors \"1-2,3:rear\"")
            << "1: VIP | gate,attr,floors | 1 | 4C 41 00 00 20 30 30 30 32 2F" + QString(" 00").repeated(63) +
                   " 32 00 00 00 00 00 00";
        QTest::newRow("notes, blank lines, BOM, CR LF, --command")
            << QByteArray(
                   "\xEF\xBB\xBF# visit of 12 June\r\n\r\n  Heartbeat : --command 11\r\n\tDoor: 10 --door 4")
            << "3: Heartbeat |  | 1 | " + k11 +
                   "\n4: Door | door | 1 | 0C 41 00 00 10 30 30 30 31 30 30 31 34 30 00 00";
        const auto refused = [](const char* tag, const QByteArray& text, const QString& reason) {
            QTest::newRow(tag) << text << "refused " + reason;
        };
        refused("no colon", "Heartbeat: 11\n\nno colon here",
                "line 3: expected a name, a colon and a message, as in \"Heartbeat: 11\"");
        refused("no name", " : 11", "line 1: no name before the colon");
        refused("no command", "A:  ", "line 1: no command after the colon (10, 11 or 20)");
        refused("unknown command", "A: 12", "line 1: not a command: 12 (10, 11 or 20)");
        refused("a field 0x20 lacks", "A: 20 --door rear",
                "line 1: --door: a message of command 20 has no such field");
        refused("a field 0x11 lacks", "A: 0x11 --gate 5",
                "line 1: --gate: a message of command 0x11 has no such field");
        refused("a field 0x10 lacks", "A: 10 --floors 1",
                "line 1: --floors: a message of command 10 has no such field");
        refused("value too large", "A: 10 --dest-floor 1000",
                "line 1: --dest-floor: not a valid value: 1000");
        refused("floor 256", "A: 20 --floors 250-256", "line 1: --floors: not a valid value: 250-256");
        refused("attribution", "A: 20 --attr guest", "line 1: --attr: not a valid value: guest");
        refused("sequence", "A: 20 --seq 0x100", "line 1: --seq: not a valid value: 0x100");
        refused("no value", "A: 10 --gate", "line 1: --gate needs a value");
        refused("unknown field", "A: 10 --floor 3",
                "line 1: unknown field: --floor (gate, dest-floor, door, attr, seq, floors or count)");
        refused("bare word", "A: 10 gate 3", "line 1: unexpected text: gate (fields are written --gate 3)");
        refused("field twice", "A: 10 --gate 1 --gate 2", "line 1: --gate given twice");
        refused("count zero", "A: 10 --count 0", "line 1: --count: not a valid value: 0 (1 to 1000000)");
        refused("name twice", "A: 11\n# x\nA: 10", "line 3: the name \"A\" is already used on line 1");
        refused("UTF-16",
                QByteArray("\xFF\xFE"
                           "A\0:\0",
                           6),
                "line 1: it is UTF-16 text (byte order mark FF FE); save it as UTF-8 or ASCII");
        refused("Latin-1", "A: 11\nCaf\xE9: 11", "line 2: not UTF-8 text");
        refused("only notes", "# nothing yet\n\n", "the plan lists no expectation");
    }

    void grammar() {
        QFETCH(QByteArray, text);
        QTEST(Described(ParseTestPlan(std::string_view(text.constData(), std::size_t(text.size())))),
              "parsed");
    }

    void matching_data() {
        QTest::addColumn<QString>("expectation");
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<int>("met");
        QTest::addColumn<int>("invalid");
        QTest::newRow("fields left out match any value") << "10 --gate 3" << k10 << 1 << 0;
        QTest::newRow("every field given")
            << "10 --gate 3 --dest-floor 15 --door 1 --attr 0 --seq 0" << k10 << 1 << 0;
        QTest::newRow("a given field differs") << "10 --gate 3 --seq 1" << k10 << 0 << 0;
        QTest::newRow("another command") << "20 --gate 3" << k10 << 0 << 0;
        QTest::newRow("invalid elsewhere: the door")
            << "10 --gate 3"
            << "0C 41 00 00 10 30 30 30 33 30 31 35 39 30 00 00" << 0 << 1;
        QTest::newRow("invalid elsewhere: the version") << "11"
                                                        << "04 42 00 00 11 00 00 00" << 0 << 1;
        QTest::newRow("invalid elsewhere: a reserve byte")
            << "10 --door front"
            << "0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 01" << 0 << 1;
        QTest::newRow("invalid in the very field asked for")
            << "10 --door 9 --dest-floor 0"
            << "0C 41 00 00 10 30 30 30 33 30 30 30 39 30 00 00" << 1 << 0;
        QTest::newRow("several messages in one read") << "11" << k11 + " " + k11 + " " + k10 << 2 << 0;
        QTest::newRow("cut short after the fields asked for") << "10 --gate 3" << k10.left(41) << 0 << 1;
        QTest::newRow("cut short before a field asked for") << "10 --seq 0" << k10.left(41) << 0 << 0;
        QTest::newRow("floors exactly as listed") << "20 --floors 1-2" << Message20("0F") << 1 << 0;
        QTest::newRow("floors: one more accessible") << "20 --floors 1" << Message20("0F") << 0 << 0;
        QTest::newRow("floors: a side differs") << "20 --floors 1-2:rear" << Message20("0F") << 0 << 0;
        QTest::newRow("0x20 attribution handicapped is invalid")
            << "20 --gate 2" << Message20("00").replace(" 32 05 ", " 31 05 ") << 0 << 1;
    }

    void matching() {
        QFETCH(QString, expectation);
        QFETCH(QString, bytes);
        const TestPlan plan = ParseTestPlan(("E: " + expectation).toStdString());
        QVERIFY2(plan.Ok(), plan.error.c_str());
        PlanMatcher matcher(plan.expectations);
        matcher.MatchLine(Line(bytes), 7);
        QTEST(matcher.Tallies()[0].met, "met");
        QTEST(matcher.Tallies()[0].invalid, "invalid");
    }

    // Counts grow line by line; the first match of each kind keeps its line and time; only the
    // expectations a line touched are reported changed; Reset starts over.
    void tallies() {
        const TestPlan plan = ParseTestPlan("Beat: 11 --count 2\nGate 3: 10 --gate 3\nGate 4: 10 --gate 4");
        PlanMatcher matcher(plan.expectations);
        const QString bad10 = QString(k10).replace(0, 2, "0D");
        const struct {
            QString bytes;
            std::vector<int> changed;
            int metCount;
        } steps[] = {{k11, {0}, 0}, {bad10, {1}, 0}, {k10 + " " + k11, {1, 0}, 2}, {k11, {0}, 2}};
        for (int i = 0; i < int(std::size(steps)); ++i) {
            matcher.MatchLine(Line(steps[i].bytes, 40 + i), 100 + i);
            QCOMPARE(matcher.Changed(), steps[i].changed);
            QCOMPARE(matcher.MetCount(), steps[i].metCount);
        }
        const auto& beat = matcher.Tallies()[0];
        const auto& gate3 = matcher.Tallies()[1];
        QCOMPARE(std::tuple(beat.met, beat.firstMet, beat.firstMetTime),
                 std::tuple(3, 100LL, std::string("10:15:40")));
        QCOMPARE(
            std::tuple(gate3.met, gate3.firstMet, gate3.invalid, gate3.firstInvalid, gate3.firstInvalidTime),
            std::tuple(1, 102LL, 1, 101LL, std::string("10:15:41")));
        QCOMPARE(StateText(StateOf(matcher.Tallies()[2])), "not seen");
        matcher.Reset();
        QCOMPARE(matcher.Tallies()[0].met + matcher.Tallies()[1].invalid, 0);
    }
};

QTEST_GUILESS_MAIN(TestPlanFile)
#include "tst_plan.moc"
