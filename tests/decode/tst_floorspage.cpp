#include "common/modCommon.h"
#include "decode/DumpGrid.h"
#include "decode/FloorsPage.h"
#include "tests/decode/MessageText.h"

#include <QtTest>

#include <bitset>
#include <string>
#include <vector>

using namespace MessageText;

namespace {

FloorData Data(std::string_view text) {
    FloorData data;
    SetFloorData(data, text);
    return data;
}

std::string RowBits(const FloorsPage& page, int j) {
    std::string bits; // the left-most column (the highest floor) first, as the byte reads in binary
    for (int k = 3; k >= 0; --k)
        bits += page.lblAccesibleFloor[4 * j + k].caption;
    return bits;
}

// Rows before firstMissing show bits on the normal background; the rest are empty and red.
void CheckRows(const FloorsPage& page, int firstMissing, const QString& bits) {
    for (int j = 0; j < 8; ++j) {
        QCOMPARE(QString::fromStdString(RowBits(page, j)), j < firstMissing ? bits : QString());
        for (int k = 0; k < 4; ++k)
            QCOMPARE(page.lblAccesibleFloor[4 * j + k].red, j >= firstMissing);
    }
}

std::string Joined(const DumpGrid& grid, int row, int column) {
    std::string text; // a row, or with row -1 a column
    for (int i = 0; i < kDumpGridSize; ++i)
        text += (row < 0 ? grid[i][column] : grid[row][i]) + "|";
    return text;
}

} // namespace

class tst_FloorsPage : public QObject {
    Q_OBJECT

private slots:
    void floorCount_data() {
        QTest::addColumn<int>("fields");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("firstMissingRow");
        QTest::newRow("empty text") << 0 << 0 << 0 << 0;
        QTest::newRow("9 fields") << 9 << 0 << 0 << 0;
        QTest::newRow("10 fields") << 10 << 1 << 0 << 1;
        QTest::newRow("20 fields, top 5") << 20 << 11 << 5 << 6;
        QTest::newRow("72 fields, last page") << 72 << 63 << 56 << 7;
        QTest::newRow("73 fields, last page") << 73 << 64 << 56 << 8;
        QTest::newRow("90 fields, last page") << 90 << 64 << 56 << 8;
    }

    // Over a full line of other bytes: entries past the new count keep their texts but are missing.
    void floorCount() {
        QFETCH(int, fields);
        QFETCH(int, count);
        QFETCH(int, top);
        QFETCH(int, firstMissingRow);
        FloorData data;
        SetFloorData(data, Message(80, "C3"));
        SetFloorData(data, Message(fields, "01"));
        QCOMPARE(data.FloorCount, count);
        CheckRows(ShowFloors(data, top), firstMissingRow, "00000001");
    }

    void floorValues_data() {
        // The row's name is the text of every floor byte of the line.
        QTest::addColumn<QString>("bits"); // floors 4r + 4 down to 4r + 1
        QTest::addColumn<bool>("floor256Red");
        QTest::newRow("40") << "01000000" << true;
        QTest::newRow("80") << "10000000" << true;
        QTest::newRow("3F") << "00111111" << false;
        QTest::newRow("e4") << "11100100" << true;
        QTest::newRow("FFFFFFFFFFE4") << "11100100" << true; // only the low byte counts
        QTest::newRow("9Z") << "00001001" << false;
    }

    void floorValues() {
        QFETCH(QString, bits);
        QFETCH(bool, floor256Red);
        const FloorData data = Data(Message(80, QTest::currentDataTag()));
        CheckRows(ShowFloors(data, 0), 8, bits);
        CheckRows(ShowFloors(data, 48), 8, bits); // floor 224: an ordinary floor
        const FloorsPage last = ShowFloors(data, kFloorsTopMax);
        QCOMPARE(QString::fromStdString(RowBits(last, 7)), bits);
        for (int i = 0; i < 32; ++i)
            QCOMPARE(last.lblAccesibleFloor[i].red, i == 31 && floor256Red);
    }

    void wholeFieldOnEveryPage() {
        // Distinct bit patterns per byte, so a byte drawn in the wrong row or a pair in the wrong
        // column shows, and so does a page other than the one asked for.
        auto value = [](int r) { return std::uint8_t(r * 37 + 11); };
        const FloorData data = Data(MessageOf(80, [&](int r) { return modCommon::ByteToHex(value(r)); }));
        for (int top = 0; top <= kFloorsTopMax; ++top) {
            for (int j = 0; j < 8; ++j)
                QCOMPARE(RowBits(ShowFloors(data, top), j), std::bitset<8>(value(top + j)).to_string());
        }
        // The scroll bar never gives a top outside 0 to 56; such a top must not read outside the 64 entries.
        QCOMPARE(ShowFloors(data, -3).lblAccesibleFloor, ShowFloors(data, 0).lblAccesibleFloor);
        QCOMPARE(ShowFloors(data, 63).lblAccesibleFloor, ShowFloors(data, kFloorsTopMax).lblAccesibleFloor);
    }

    void rowsAndLabels_data() {
        QTest::addColumn<int>("top");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("labels"); // "i=label" pairs, an empty label hidden
        QTest::newRow("top 0") << 0 << QStringList{"01", "02", "03", "04", "05", "06", "07", "08"}
                               << QStringList{"0=(1st)",   "1=(2nd)",   "2=(3rd)",   "10=(11th)",
                                              "11=(12th)", "12=(13th)", "20=(21st)", "21=(22nd)",
                                              "22=(23rd)", "31=(32nd)"};
        QTest::newRow("top 27") << 27 << QStringList{"28", "29", "30", "31", "32", "33", "34", "35"}
                                << QStringList{"0=(109th)", "2=(111st)", "3=(112nd)", "4=(113rd)"};
        QTest::newRow("top 56") << 56 << QStringList{"57", "58", "59", "60", "61", "62", "63", "64"}
                                << QStringList{"0=(225th)", "30=(255th)", "31="};
    }

    void rowsAndLabels() {
        QFETCH(int, top);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, labels);
        const FloorsPage page = ShowFloors(Data(Message(80)), top);
        for (int d = 0; d < 8; ++d)
            QCOMPARE(QString::fromStdString(page.lblIndex[d]), rows[d]);
        for (const QString& pair : labels) {
            const Label& no = page.lblNo[pair.section('=', 0, 0).toInt()];
            QCOMPARE(QString::fromStdString(no.caption), pair.section('=', 1));
            QCOMPARE(no.visible, !no.caption.empty());
        }
    }

    void dumpGrid_data() {
        QTest::addColumn<int>("fields");
        QTest::newRow("empty text") << 0;
        QTest::newRow("17 fields") << 17;
        QTest::newRow("300 fields") << 300;
    }

    void dumpGrid() {
        QFETCH(int, fields);
        // Field i reads as i in hexadecimal, so each one is told apart from the others ("100" for 256).
        auto field = [](int i) {
            return QString::number(i, 16).rightJustified(2, '0').toUpper().toStdString();
        };
        std::vector<std::string> text;
        for (int i = 0; i < fields; ++i)
            text.push_back(field(i));
        const DumpGrid grid = MakeDumpGrid(Join(text));
        QCOMPARE(Joined(grid, 0, 0), std::string("|+0|+1|+2|+3|+4|+5|+6|+7|+8|+9|+A|+B|+C|+D|+E|+F|"));
        QCOMPARE(Joined(grid, -1, 0), std::string("|00|10|20|30|40|50|60|70|80|90|A0|B0|C0|D0|E0|F0|"));
        for (int i = 0; i < 256; ++i)
            QCOMPARE(grid[i / 16 + 1][i % 16 + 1], i < fields ? field(i) : std::string());
    }

    void dumpGridOddTexts() {
        // Shown as the line holds them: no parsing, no case change; two blanks leave an empty cell.
        QCOMPARE(Joined(MakeDumpGrid("04  41 c3 1C3 ZZ"), 1, 0),
                 std::string("00|04||41|c3|1C3|ZZ|||||||||||"));
    }
};

QTEST_GUILESS_MAIN(tst_FloorsPage)
#include "tst_floorspage.moc"
