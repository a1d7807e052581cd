#include "common/modCommon.h"

#include <QTest>

#include <cstdint>
#include <limits>

using namespace modCommon;

namespace {

QString Join(const std::vector<std::string_view>& fields) {
    QStringList parts;
    for (const auto field : fields)
        parts << QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
    return parts.join(u'|');
}

} // namespace

class tst_common : public QObject {
    Q_OBJECT

private slots:
    void byteToHex() {
        for (int value = 0; value < 256; ++value) {
            const std::string text = ByteToHex(static_cast<std::uint8_t>(value));
            QCOMPARE(QString::fromStdString(text), QString::asprintf("%02X", value));
        }
    }

    void byteText_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("byteText");
        QTest::newRow("capture line") << "[11/22/2012] [10:15:30] 04 41 00 00"
                                      << "04 41 00 00";
        QTest::newRow("one byte") << "[2012/11/22] [10:15:30] 0C"
                                  << "0C";
        QTest::newRow("third ] is data") << "[a] [b] 0C ] 41"
                                         << "0C ] 41";
        QTest::newRow("no ]") << "X04 41"
                              << "04 41";
        QTest::newRow("one ]") << "[11/22/2012 04 41"
                               << "11/22/2012 04 41";
        QTest::newRow("ends at second ]") << "[11/22/2012] [10:15:30]"
                                          << "";
        QTest::newRow("ends after blank") << "[11/22/2012] [10:15:30] "
                                          << "";
        QTest::newRow("empty line") << ""
                                    << "";
        QTest::newRow("one character") << "["
                                       << "";
    }
    void byteText() {
        QFETCH(QString, line);
        QFETCH(QString, byteText);
        const std::string text = line.toStdString();
        QCOMPARE(QString::fromStdString(std::string(ByteText(text))), byteText);
    }

    void splitFields_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("fields");
        QTest::newRow("empty") << "" << 0 << "";
        QTest::newRow("one") << "0C" << 1 << "0C";
        QTest::newRow("four") << "0C 41 00 00" << 4 << "0C|41|00|00";
        QTest::newRow("two blanks") << "0C  41" << 3 << "0C||41";
        QTest::newRow("trailing blank") << "0C 41 " << 3 << "0C|41|";
        QTest::newRow("leading blank") << " 0C" << 2 << "|0C";
        QTest::newRow("blank only") << " " << 2 << "|";
        QTest::newRow("no hex check") << "zz 1234" << 2 << "zz|1234";
    }
    void splitFields() {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QString, fields);
        const std::string source = text.toStdString();
        const auto split = SplitFields(source);
        QCOMPARE(static_cast<int>(split.size()), count);
        QCOMPARE(Join(split), fields);
    }

    void hexValue_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<quint8>("lowByte");
        const quint32 max = std::numeric_limits<std::uint32_t>::max();
        QTest::newRow("upper") << "0C" << 12u << quint8(0x0C);
        QTest::newRow("lower") << "0c" << 12u << quint8(0x0C);
        QTest::newRow("mixed") << "aB" << 0xABu << quint8(0xAB);
        QTest::newRow("empty") << "" << 0u << quint8(0);
        QTest::newRow("no digits") << "G1" << 0u << quint8(0);
        QTest::newRow("stops at non-digit") << "4G1" << 4u << quint8(4);
        QTest::newRow("one digit") << "F" << 15u << quint8(15);
        QTest::newRow("three digits") << "1FF" << 0x1FFu << quint8(0xFF);
        QTest::newRow("eight digits") << "FFFFFFFE" << 0xFFFFFFFEu << quint8(0xFE);
        QTest::newRow("nine digits saturate") << "100000000" << max << quint8(0);
        QTest::newRow("eleven digits saturate") << "123456789AB" << max << quint8(0xAB);
        QTest::newRow("leading zeros") << "000000000041" << 0x41u << quint8(0x41);
    }
    void hexValue() {
        QFETCH(QString, token);
        QFETCH(quint32, value);
        QFETCH(quint8, lowByte);
        const std::string text = token.toStdString();
        QCOMPARE(HexValue(text), value);
        QCOMPARE(HexLowByte(text), lowByte);
    }
};

QTEST_GUILESS_MAIN(tst_common)
#include "tst_common.moc"
