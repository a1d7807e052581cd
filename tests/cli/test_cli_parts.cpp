// The parts of the headless commands that stand alone: hex typed by a user, messages built from their
// fields, framing, line splitting and JSON text.
#include "cli/Framing.h"
#include "cli/HexBytes.h"
#include "cli/JsonText.h"
#include "cli/LineDecoder.h"
#include "cli/LineReader.h"
#include "cli/MessageBuilder.h"
#include "cli/RunHeadless.h"
#include "common/modCommon.h"

#include <QTemporaryFile>
#include <QTest>

namespace {

using Bytes = std::vector<std::uint8_t>;

QString Hex(const Bytes& bytes) {
    std::string text;
    for (const auto b : bytes) {
        if (!text.empty())
            text += ' ';
        modCommon::AppendByteToHex(text, b);
    }
    return QString::fromStdString(text);
}

} // namespace

class TestCliParts : public QObject {
    Q_OBJECT

private slots:
    void hexBytes_data();
    void hexBytes();
    void buildMessage_data();
    void buildMessage();
    void floorList_data();
    void floorList();
    void fieldTexts();
    void framing_data();
    void framing();
    void lineReader_data();
    void lineReader();
    void jsonString_data();
    void jsonString();
    void reportIndependentOfEarlierLines();
    void windowArguments_data();
    void windowArguments();
};

void TestCliParts::hexBytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("bytes");
    QTest::newRow("blanks") << "04 41 00 00 11 00 00 00" << true << "04 41 00 00 11 00 00 00";
    QTest::newRow("run of pairs") << "0441000011000000" << true << "04 41 00 00 11 00 00 00";
    QTest::newRow("single digits") << "4 41 0 0" << true << "04 41 00 00";
    QTest::newRow("lower case") << "0c 4c ff" << true << "0C 4C FF";
    QTest::newRow("colons, commas, dashes, tabs") << "0C:41,00-00\t10" << true << "0C 41 00 00 10";
    QTest::newRow("extra blanks") << "  04   41 " << true << "04 41";
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("odd run") << "041" << false << "";
    QTest::newRow("letter") << "04 4G" << false << "";
    QTest::newRow("0x prefix is not hex text") << "0x04" << false << "";
}

void TestCliParts::hexBytes() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, bytes);
    const auto parsed = ParseHexBytes(text.toStdString());
    QCOMPARE(parsed.has_value(), ok);
    if (ok)
        QCOMPARE(Hex(*parsed), bytes);
}

void TestCliParts::buildMessage_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("gate");
    QTest::addColumn<int>("destFloor");
    QTest::addColumn<char>("door");
    QTest::addColumn<char>("attribution");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QString>("bytes");
    QTest::newRow("0x10 defaults") << 0x10 << 1 << 1 << '1' << '0' << 0
                                   << "0C 41 00 00 10 30 30 30 31 30 30 31 31 30 00 00";
    QTest::newRow("0x10 fields") << 0x10 << 9999 << 255 << '3' << 'F' << 0xAB
                                 << "0C 41 00 00 10 39 39 39 39 32 35 35 33 46 AB 00";
    QTest::newRow("0x10 out of range on purpose")
        << 0x10 << 0 << 256 << '4' << 'a' << 0 << "0C 41 00 00 10 30 30 30 30 32 35 36 34 61 00 00";
    QTest::newRow("0x11") << 0x11 << 1234 << 5 << '1' << '0' << 7 << "04 41 00 00 11 00 00 00";
}

void TestCliParts::buildMessage() {
    QFETCH(int, command);
    MessageFields fields;
    fields.command = command;
    QFETCH(int, gate);
    fields.gate = gate;
    QFETCH(int, destFloor);
    fields.destFloor = destFloor;
    QFETCH(char, door);
    fields.door = door;
    QFETCH(char, attribution);
    fields.attribution = attribution;
    QFETCH(int, sequence);
    fields.sequence = sequence;
    QTEST(Hex(BuildMessage(fields)), "bytes");
}

void TestCliParts::floorList_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("byteIndex");
    QTest::addColumn<int>("byteValue");
    QTest::newRow("floor 1 both sides") << "1" << true << 0 << 0x03;
    QTest::newRow("floor 4 front") << "4:front" << true << 0 << 0x40;
    QTest::newRow("floor 2 rear") << "2:rear" << true << 0 << 0x08;
    QTest::newRow("range across bytes") << "3-6" << true << 1 << 0x0F;
    QTest::newRow("later entry wins") << "1-4,2:front" << true << 0 << 0xF7;
    QTest::newRow("floor 255 is the last") << "253-255" << true << 63 << 0x3F;
    QTest::newRow("empty list") << "" << true << 0 << 0;
    QTest::newRow("floor 256") << "256" << false << 0 << 0;
    QTest::newRow("floor 0") << "0" << false << 0 << 0;
    QTest::newRow("backwards range") << "5-3" << false << 0 << 0;
    QTest::newRow("unknown side") << "1:left" << false << 0 << 0;
    QTest::newRow("empty entry") << "1,,2" << false << 0 << 0;
}

void TestCliParts::floorList() {
    QFETCH(QString, list);
    QFETCH(bool, ok);
    const auto floors = ParseFloorList(list.toStdString());
    QCOMPARE(floors.has_value(), ok);
    if (!ok)
        return;
    QFETCH(int, byteIndex);
    QTEST(int((*floors)[static_cast<std::size_t>(byteIndex)]), "byteValue");

    MessageFields fields;
    fields.command = kCommand20;
    fields.floors = *floors;
    const Bytes message = BuildMessage(fields);
    QCOMPARE(message.size(), std::size_t(80));
    QCOMPARE(Hex(Bytes(message.begin(), message.begin() + 9)), QString("4C 41 00 00 20 30 30 30 31"));
    QCOMPARE(int(message[9 + static_cast<std::size_t>(byteIndex)]),
             int((*floors)[static_cast<std::size_t>(byteIndex)]));
    QCOMPARE(Hex(Bytes(message.begin() + 73, message.end())), QString("30 00 00 00 00 00 00"));
}

void TestCliParts::fieldTexts() {
    QCOMPARE(ParseNumber("0xff", 0, 255), std::optional<int>(255));
    QCOMPARE(ParseNumber("256", 0, 255), std::nullopt);
    QCOMPARE(ParseNumber("-1", 0, 255), std::nullopt);
    QCOMPARE(ParseNumber("12a", 0, 255), std::nullopt);
    QCOMPARE(ParseNumber("0x", 0, 255), std::nullopt);
    QCOMPARE(ParseNumber("99999999999", 0, 9999), std::nullopt); // too long for an int, not wrapped
    // Commands are hexadecimal with or without "0x": decimal 16 is not 0x10.
    QCOMPARE(ParseCommand("0x20"), std::optional<int>(0x20));
    QCOMPARE(ParseCommand("16"), std::nullopt);
    QCOMPARE(ParseDoor("rear"), std::optional<char>('2'));
    QCOMPARE(ParseDoor("4"), std::optional<char>('4')); // invalid on purpose, still sent
    QCOMPARE(ParseAttribution("vip"), std::optional<char>('2'));
    QCOMPARE(ParseAttribution("12"), std::nullopt);
}

void TestCliParts::framing_data() {
    QTest::addColumn<QString>("byteText");
    QTest::addColumn<QString>("spans"); // first+count/length per message
    QTest::newRow("no bytes") << ""
                              << "";
    QTest::newRow("one 0x11") << "04 41 00 00 11 00 00 00"
                              << "0+8/8";
    QTest::newRow("part of a 0x10") << "0C 41 00 00 10"
                                    << "0+5/16";
    QTest::newRow("one byte") << "4C"
                              << "0+1/80";
    QTest::newRow("two messages") << "04 41 00 00 11 00 00 00 0C 41 00 00 10 30 30 30 31 30 30 31 31 30 00 00"
                                  << "0+8/8 8+16/16";
    QTest::newRow("one and a part") << "04 41 00 00 11 00 00 00 04 41"
                                    << "0+8/8 8+2/8";
    QTest::newRow("zero length: header only") << "00 41 00 00 00 41 00 00"
                                              << "0+4/4 4+4/4";
    QTest::newRow("over-long token saturates") << "FFFFFFFFFF 41"
                                               << "0+2/4294967299";
    QTest::newRow("trailing blank is an empty byte") << "00 41 00 00 "
                                                     << "0+4/4 4+1/4";
    QTest::newRow("two blanks") << "04 41  00"
                                << "0+4/8";
}

void TestCliParts::framing() {
    QFETCH(QString, byteText);
    const std::string text = byteText.toStdString();
    std::vector<MessageSpan> spans{MessageSpan{}}; // left over from a previous line
    FrameMessages(text, spans);
    QStringList shown;
    QStringList texts;
    for (const MessageSpan& s : spans) {
        shown << QString("%1+%2/%3").arg(s.first).arg(s.count).arg(s.length);
        texts << QString::fromStdString(std::string(s.text));
    }
    QTEST(shown.join(' '), "spans");
    // The parts put back together are the whole text: no byte lost or counted twice.
    QCOMPARE(texts.join(' '), byteText);
    QCOMPARE(CountTokens(text), modCommon::SplitFields(text).size());
}

void TestCliParts::lineReader_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("lines");
    const QByteArray mixed = "a\r\nbb\rccc\nd\r\n\r\neee";
    for (const int block : {1, 2, 3, 7, 4096}) {
        const QByteArray tag = "block " + QByteArray::number(block);
        QTest::newRow(tag + ": CR LF, lone CR, lone LF, empty line, no end")
            << mixed << QStringList{"a", "bb", "ccc", "d", "", "eee"};
        QTest::newRow(tag + ": CR at the very end") << QByteArray("x\r") << QStringList{"x"};
        QTest::newRow(tag + ": CR CR is an empty line")
            << QByteArray("x\r\ry\r\n") << QStringList{"x", "", "y"};
        QTest::newRow(tag + ": LF CR") << QByteArray("x\n\ry") << QStringList{"x", "", "y"};
    }
    QTest::newRow("empty input") << QByteArray() << QStringList{};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("long line") << QByteArray(5000, 'z') + "\nq" << QStringList{QString(5000, 'z'), "q"};
}

void TestCliParts::lineReader() {
    QFETCH(QByteArray, input);
    QFETCH(QStringList, lines);
    // The block size goes in the tag; a one-byte block splits every CR LF across two reads.
    const QString tag = QTest::currentDataTag();
    const std::size_t block = tag.startsWith("block ") ? tag.section(' ', 1, 1).remove(':').toULong() : 16;
    QTemporaryFile file;
    QVERIFY(file.open());
    QCOMPARE(file.write(input), input.size());
    QVERIFY(file.flush());
    QVERIFY(file.seek(0));
    LineReader reader(file.handle(), block);
    int reads = 0;
    reader.setBeforeRead([&reads] { ++reads; });
    QStringList got;
    std::string_view line;
    while (reader.Next(line))
        got << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    QCOMPARE(got, lines);
    QCOMPARE(reader.error(), 0);
    QVERIFY(reads >= 1);
}

void TestCliParts::jsonString_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("plain") << QByteArray("BYTE(1)") << QByteArray("\"BYTE(1)\"");
    QTest::newRow("inner quotes") << QByteArray("\"A\" (fixed)") << QByteArray(R"j("\"A\" (fixed)")j");
    QTest::newRow("backslash") << QByteArray("a\\b") << QByteArray(R"j("a\\b")j");
    QTest::newRow("control characters")
        << QByteArray("a\tb\x01\x7f") << QByteArray(R"j("a\u0009b\u0001\u007F")j");
    QTest::newRow("UTF-8 kept") << QByteArray("22.11.2012 \xe5\x8d\x88\xe5\x89\x8d")
                                << QByteArray("\"22.11.2012 \xe5\x8d\x88\xe5\x89\x8d\"");
    QTest::newRow("four-byte UTF-8 kept")
        << QByteArray("\xf0\x9f\x98\x80") << QByteArray("\"\xf0\x9f\x98\x80\"");
    QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9") << QByteArray(R"j("caf\ufffd")j");
    QTest::newRow("cut sequence") << QByteArray("\xe5\x8d") << QByteArray(R"j("\ufffd\ufffd")j");
    QTest::newRow("over-long form") << QByteArray("\xc0\xaf") << QByteArray(R"j("\ufffd\ufffd")j");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QByteArray(R"j("\ufffd\ufffd\ufffd")j");
}

void TestCliParts::jsonString() {
    QFETCH(QByteArray, text);
    std::string out = "x";
    AppendJsonString(out, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    QTEST(QByteArray::fromStdString(out.substr(1)), "json");
}

void TestCliParts::windowArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("none") << QStringList{};
    QTest::newRow("Qt's platform option") << QStringList{"-platform", "offscreen"};
    QTest::newRow("Qt's style option") << QStringList{"-style=fusion"};
    QTest::newRow("Qt option in double-dash form") << QStringList{"--reverse"};
}

// Batches are decoded on several threads, each with its own table, so a line's report must not depend on
// what the table showed before. The decoders change shared labels (the 0x11 row name, the 0x20 layout of
// rows 3 and 4), which makes every order of the layouts worth checking.
void TestCliParts::reportIndependentOfEarlierLines() {
    std::string line20 = "[11/22/2012] [10:15:34] 4C 41 00 00 20 30 30 30 31";
    for (int i = 0; i < 64; ++i)
        line20 += " 5A";
    line20 += " 32 07 00 00 00 00 00";
    const std::vector<std::string> lines = {
        "[11/22/2012] [10:15:30] 04 41 00 00 11 00 00 00",
        "[11/22/2012] [10:15:31] 0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00",
        line20,
        line20.substr(0, 60),
        "[11/22/2012] [10:15:35] 04 41 00 00 12",
        "[11/22/2012] [10:15:36] 0C 41",
        "[11/22/2012] [10:15:37]",
        "[11/22/2012] [10:15:38] 04 41 00 00 11 00 00 00 4C 41 00 00 20 30 30",
    };
    for (const bool json : {false, true}) {
        DecodeOptions options;
        options.json = json;
        options.floors = true;
        for (const std::string& second : lines) {
            std::string alone;
            LineDecoder(options).Decode("-", 2, second, alone);
            for (const std::string& first : lines) {
                LineDecoder decoder(options);
                std::string before;
                decoder.Decode("-", 1, first, before);
                std::string after;
                decoder.Decode("-", 2, second, after);
                QCOMPARE(QString::fromStdString(after), QString::fromStdString(alone));
            }
        }
    }
}

// Whatever is not a command opens the window: the dispatcher must hand these back untouched.
void TestCliParts::windowArguments() {
    QFETCH(QStringList, arguments);
    std::vector<QByteArray> storage{"tarc-emulator"};
    for (const QString& argument : arguments)
        storage.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    QCOMPARE(RunHeadless(static_cast<int>(argv.size()), argv.data()), -1);
}

QTEST_GUILESS_MAIN(TestCliParts)
#include "test_cli_parts.moc"
