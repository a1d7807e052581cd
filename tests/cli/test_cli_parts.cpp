// The parts of the headless commands that stand alone: hex typed by a user, messages built from their
// fields, line splitting.
#include "cli/HexBytes.h"
#include "cli/LineReader.h"
#include "cli/ReverseLineReader.h"
#include "cli/RunHeadless.h"
#include "common/modCommon.h"
#include "decode/FieldWords.h"

#include <QTemporaryFile>
#include <QTest>

namespace {

using Bytes = std::vector<std::uint8_t>;

QString Hex(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
        .toHex(' ')
        .toUpper();
}

void TextRow(const char* tag, const char* text, const char* expected) {
    QTest::newRow(tag) << QString(text) << QString(expected);
}

} // namespace

Q_DECLARE_METATYPE(MessageFields)

class TestCliParts : public QObject {
    Q_OBJECT

private slots:
    void hexBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bytes"); // "refused" when the text is not hex
        TextRow("run of pairs", "0441000011000000", "04 41 00 00 11 00 00 00");
        TextRow("single digits", "4 41 0 0", "04 41 00 00");
        TextRow("lower case, separators, extra blanks", "  0c:4c,ff-00\t10 ", "0C 4C FF 00 10");
        TextRow("empty", "", "");
        TextRow("odd run", "041", "refused");
        TextRow("letter", "04 4G", "refused");
        TextRow("0x prefix is not hex text", "0x04", "refused");
    }

    void hexBytes() {
        QFETCH(QString, text);
        const auto parsed = ParseHexBytes(text.toStdString());
        QTEST(parsed ? Hex(*parsed) : QString("refused"), "bytes");
    }

    void buildMessage_data() {
        QTest::addColumn<MessageFields>("fields");
        QTest::addColumn<QString>("bytes");
        QTest::newRow("0x10 fields") << MessageFields{0x10, 9999, 255, '3', 'F', 0xAB, {}}
                                     << "0C 41 00 00 10 39 39 39 39 32 35 35 33 46 AB 00";
        QTest::newRow("0x10 out of range on purpose") << MessageFields{0x10, 0, 256, '4', 'a', 0, {}}
                                                      << "0C 41 00 00 10 30 30 30 30 32 35 36 34 61 00 00";
        QTest::newRow("0x11") << MessageFields{0x11, 1234, 5, '1', '0', 7, {}} << "04 41 00 00 11 00 00 00";
    }

    void buildMessage() {
        QFETCH(MessageFields, fields);
        QTEST(Hex(BuildMessage(fields)), "bytes");
    }

    void floorList_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("byteIndex");
        QTest::addColumn<int>("byteValue"); // -1 when the list is refused
        QTest::newRow("floor 1 both sides") << "1" << 0 << 0x03;
        QTest::newRow("floor 2 rear") << "2:rear" << 0 << 0x08;
        QTest::newRow("range across bytes") << "3-6" << 1 << 0x0F;
        QTest::newRow("later entry wins, front") << "1-4,2:front" << 0 << 0xF7;
        QTest::newRow("floor 255 is the last") << "253-255" << 63 << 0x3F;
        QTest::newRow("floor 256") << "256" << 0 << -1;
        QTest::newRow("floor 0") << "0" << 0 << -1;
        QTest::newRow("backwards range") << "5-3" << 0 << -1;
        QTest::newRow("unknown side") << "1:left" << 0 << -1;
        QTest::newRow("empty entry") << "1,,2" << 0 << -1;
    }

    void floorList() {
        QFETCH(QString, list);
        QFETCH(int, byteIndex);
        const auto floors = ParseFloorList(list.toStdString());
        QTEST(floors ? int((*floors)[static_cast<std::size_t>(byteIndex)]) : -1, "byteValue");
    }

    void fieldTexts() {
        QCOMPARE(ParseNumber("0xff", 0, 255), std::optional<int>(255));
        QCOMPARE(ParseNumber("256", 0, 255), std::nullopt);
        QCOMPARE(ParseNumber("-1", 0, 255), std::nullopt);
        QCOMPARE(ParseNumber("12a", 0, 255), std::nullopt);
        QCOMPARE(ParseNumber("99999999999", 0, 9999), std::nullopt); // too long for an int, not wrapped
        // Commands are hexadecimal with or without "0x": decimal 16 is not 0x10.
        QCOMPARE(ParseCommand("0x20"), std::optional<int>(0x20));
        QCOMPARE(ParseCommand("16"), std::nullopt);
        QCOMPARE(ParseDoor("rear"), std::optional<char>('2'));
        QCOMPARE(ParseDoor("4"), std::optional<char>('4')); // invalid on purpose, still sent
        QCOMPARE(ParseAttribution("vip"), std::optional<char>('2'));
        QCOMPARE(ParseAttribution("12"), std::nullopt);
    }

    void lineReader_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("lines");
        // A one-byte block splits every CR LF across two reads.
        for (const int block : {1, 2, 3, 7, 4096}) {
            const QByteArray tag = "block " + QByteArray::number(block);
            QTest::newRow(tag + ": CR LF, lone CR, lone LF, empty line, no end")
                << block << QByteArray("a\r\nbb\rccc\nd\r\n\r\neee")
                << QStringList{"a", "bb", "ccc", "d", "", "eee"};
            QTest::newRow(tag + ": CR at the very end") << block << QByteArray("x\r") << QStringList{"x"};
            QTest::newRow(tag + ": CR CR, LF CR")
                << block << QByteArray("x\r\ry\n\rz") << QStringList{"x", "", "y", "", "z"};
        }
        QTest::newRow("empty input") << 16 << QByteArray() << QStringList{};
        QTest::newRow("only a line end") << 16 << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("long line") << 16 << QByteArray(5000, 'z') + "\nq"
                                   << QStringList{QString(5000, 'z'), "q"};
    }

    void lineReader() {
        QFETCH(int, block);
        QFETCH(QByteArray, input);
        QTemporaryFile file;
        QVERIFY(file.open());
        QCOMPARE(file.write(input), input.size());
        QVERIFY(file.flush() && file.seek(0));
        LineReader reader(file.handle(), static_cast<std::size_t>(block));
        QStringList got;
        std::string_view line;
        while (reader.Next(line))
            got << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
        QTEST(got, "lines");
        QCOMPARE(reader.error(), 0);
        // From the end, as report reads a capture file: the same lines the other way round.
        ReverseLineReader reverse(file.handle(), 0, input.size(), static_cast<std::size_t>(block));
        QStringList backwards;
        while (reverse.Next(line))
            backwards.prepend(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
        QTEST(backwards, "lines");
    }

    // Whatever is not a command opens the window: the dispatcher must hand these back untouched.
    void windowArguments() {
        char name[] = "tarc-emulator", platform[] = "-platform", offscreen[] = "offscreen",
             reverse[] = "--reverse";
        char* withPlatform[] = {name, platform, offscreen};
        char* withReverse[] = {name, reverse};
        QCOMPARE(RunHeadless(1, withPlatform), -1);
        QCOMPARE(RunHeadless(3, withPlatform), -1);
        QCOMPARE(RunHeadless(2, withReverse), -1);
    }
};

QTEST_GUILESS_MAIN(TestCliParts)
#include "test_cli_parts.moc"
