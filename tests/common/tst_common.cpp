#include "common/TerminalText.h"
#include "common/modCommon.h"

#include <QTest>

#include <cstdint>
#include <limits>

using namespace modCommon;

class tst_common : public QObject {
    Q_OBJECT

private slots:
    void byteToHex() {
        for (int value = 0; value < 256; ++value)
            QCOMPARE(QString::fromStdString(ByteToHex(std::uint8_t(value))),
                     QString::asprintf("%02X", value));
    }

    // A line's byte text split into tokens.
    void tokens_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("capture line") << "[11/22/2012] [10:15:30] 04 41" << QStringList{"04", "41"};
        QTest::newRow("third ] is data") << "[a] [b] 0C ] 41" << QStringList{"0C", "]", "41"};
        QTest::newRow("one ]") << "[11/22/2012 04 41" << QStringList{"11/22/2012", "04", "41"};
        QTest::newRow("ends at second ]") << "[11/22/2012] [10:15:30]" << QStringList{};
        QTest::newRow("empty line") << "" << QStringList{};
        QTest::newRow("two blanks") << "[a] [b] 0C  41" << QStringList{"0C", "", "41"};
        QTest::newRow("trailing blank") << "[a] [b] 0C 41 " << QStringList{"0C", "41", ""};
        // Runs of two characters and a blank, broken by any other field.
        QTest::newRow("three characters after a run")
            << "[a] [b] 0C 41 123 05" << QStringList{"0C", "41", "123", "05"};
        QTest::newRow("one character after a run")
            << "[a] [b] 0C 4 05 7" << QStringList{"0C", "4", "05", "7"};
        QTest::newRow("two blanks after a run") << "[a] [b] 0C 41  05" << QStringList{"0C", "41", "", "05"};
    }
    void tokens() {
        QFETCH(QString, line);
        const std::string text = line.toStdString();
        QStringList tokens;
        for (const auto token : SplitFields(ByteText(text)))
            tokens << QString::fromStdString(std::string(token));
        QTEST(tokens, "tokens");
    }

    void hexValue_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<quint8>("lowByte");
        const quint32 max = std::numeric_limits<std::uint32_t>::max();
        QTest::newRow("either case") << "aFfA" << 0xAFFAu << quint8(0xFA);
        QTest::newRow("empty") << "" << 0u << quint8(0);
        QTest::newRow("stops at non-digit") << "9G1" << 9u << quint8(9);
        QTest::newRow("eight digits") << "FFFFFFFE" << 0xFFFFFFFEu << quint8(0xFE);
        QTest::newRow("nine digits saturate") << "100000000" << max << quint8(0);
        QTest::newRow("low byte beyond saturation") << "123456789AB" << max << quint8(0xAB);
        QTest::newRow("leading zeros") << "000000000041" << 0x41u << quint8(0x41);
        // Two characters, the usual token, in every combination of digit and other.
        QTest::newRow("two digits") << "Ff" << 0xFFu << quint8(0xFF);
        QTest::newRow("two, the second no digit") << "9G" << 9u << quint8(9);
        QTest::newRow("two, the first no digit") << "G9" << 0u << quint8(0);
        QTest::newRow("two, a blank first") << " 1" << 0u << quint8(0);
    }
    void hexValue() {
        QFETCH(QString, token);
        const std::string text = token.toStdString();
        QTEST(HexValue(text), "value");
        QTEST(HexLowByte(text), "lowByte");
    }

    // What reaches a terminal from a file name, an argument or a line: no control character, C0 or
    // C1, raw or in UTF-8; every other byte as it was.
    void terminalText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("plain") << QByteArray("site 1.txt") << QByteArray("site 1.txt");
        QTest::newRow("title sequence: ESC, BEL")
            << QByteArray("x\x1b]0;pwned\x07") << QByteArray("x?]0;pwned?");
        QTest::newRow("tab, CR, LF, DEL") << QByteArray("a\tb\r\n\x7f") << QByteArray("a?b???");
        QTest::newRow("raw 8-bit CSI") << QByteArray("a\x9b[2J") << QByteArray("a?[2J");
        QTest::newRow("CSI in UTF-8, one mark") << QByteArray("a\xc2\x9b[2J") << QByteArray("a?[2J");
        QTest::newRow("UTF-8 kept, 0x9B inside U+201B") << QByteArray("caf\xc3\xa9 \xe2\x80\x9b \xc2\xa0")
                                                        << QByteArray("caf\xc3\xa9 \xe2\x80\x9b \xc2\xa0");
        QTest::newRow("Latin-1 kept, a cut sequence's C1 byte not")
            << QByteArray("caf\xe9 \xe2\x80") << QByteArray("caf\xe9 \xe2?");
        // Long text goes eight bytes at a time: the edges of the printable range at a word's last byte.
        QTest::newRow("long: DEL and US ending words, UTF-8 starting one")
            << QByteArray("~ ~ ~ ~ ~ ~ ~ ~\x7f       \x1f\xc3\xa9xyzxyz")
            << QByteArray("~ ~ ~ ~ ~ ~ ~ ~?       ?\xc3\xa9xyzxyz");
        QTest::newRow("long: raw C1 and Latin-1 in the second word")
            << QByteArray("captures\x9b\xff[2Jlog") << QByteArray("captures?\xff[2Jlog");
        // The last few bytes of plain text go in one word that overlaps the one before.
        QTest::newRow("long: a plain tail") << QByteArray("captures.pcap") << QByteArray("captures.pcap");
        QTest::newRow("long: ESC in the tail") << QByteArray("captures\x1bx") << QByteArray("captures?x");
        QTest::newRow("long: ESC first, the rest one plain word") << QByteArray("\x1b"
                                                                                "abcdefgh")
                                                                  << QByteArray("?abcdefgh");
        QTest::newRow("long: C1 in UTF-8 first, two bytes shown as one") << QByteArray("\xc2\x9b"
                                                                                       "captures.pcap")
                                                                         << QByteArray("?captures.pcap");
    }
    void terminalText() {
        QFETCH(QByteArray, text);
        const std::string shown = TerminalText(std::string_view(text.constData(), std::size_t(text.size())));
        QTEST(QByteArray::fromStdString(shown), "shown");
    }
};

QTEST_GUILESS_MAIN(tst_common)
#include "tst_common.moc"
