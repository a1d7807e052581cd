#include "common/modCommon.h"
#include "decode/DumpGrid.h"
#include "decode/FloorsPage.h"
#include "tests/views/MessageText.h"

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

QString Cell(const FloorsPage& page, int i) {
    return QString::fromStdString(page.lblAccesibleFloor[i].caption);
}

// Checks that rows from..to-1 of the page are missing bytes (empty and red) and the others present.
void CheckRowsMissing(const FloorsPage& page, int from, int to) {
    for (int i = 0; i < 32; ++i) {
        const bool missing = i / 4 >= from && i / 4 < to;
        QVERIFY2(page.lblAccesibleFloor[i].red == missing, qPrintable(QString("cell %1").arg(i)));
        if (missing)
            QCOMPARE(Cell(page, i), QString());
        else
            QCOMPARE(Cell(page, i).size(), 2);
    }
}

} // namespace

class tst_FloorsPage : public QObject {
    Q_OBJECT

private slots:
    void floorCount_data();
    void floorCount();
    void staleEntriesCountAsMissing();
    void partialLines_data();
    void partialLines();
    void floorValues_data();
    void floorValues();
    void wholeFieldOnEveryPage();
    void floor256_data();
    void floor256();
    void rowsAndLabels_data();
    void rowsAndLabels();
    void topOutsideRange();
    void dumpGrid_data();
    void dumpGrid();
    void dumpGridOddTexts();
};

void tst_FloorsPage::floorCount_data() {
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("count");
    QTest::newRow("empty text") << 0 << 0;
    QTest::newRow("header only") << 4 << 0;
    QTest::newRow("9 fields") << 9 << 0;
    QTest::newRow("10 fields") << 10 << 1;
    QTest::newRow("20 fields") << 20 << 11;
    QTest::newRow("72 fields") << 72 << 63;
    QTest::newRow("73 fields") << 73 << 64;
    QTest::newRow("80 fields") << 80 << 64;
    QTest::newRow("90 fields") << 90 << 64;
}

void tst_FloorsPage::floorCount() {
    QFETCH(int, fields);
    QFETCH(int, count);
    const FloorData data =
        Data(MessageOf(fields, [](int r) { return modCommon::ByteToHex(std::uint8_t(r + 1)); }));
    QCOMPARE(data.FloorCount, count);
    for (int r = 0; r < 64; ++r)
        QCOMPARE(data.FloorHex[r], r < count ? modCommon::ByteToHex(std::uint8_t(r + 1)) : std::string());
}

void tst_FloorsPage::staleEntriesCountAsMissing() {
    FloorData data;
    SetFloorData(data, Message(80, "C3"));
    SetFloorData(data, Message(20, "01"));
    QCOMPARE(data.FloorCount, 11);
    QCOMPARE(data.FloorHex[10], std::string("01"));
    QCOMPARE(data.FloorHex[11], std::string("C3")); // kept, but no longer the line's

    const FloorsPage page = ShowFloors(data, 8);
    CheckRowsMissing(page, 3, 8);
    QCOMPARE(Cell(page, 0), QString("01"));

    SetFloorData(data, Message(5));
    QCOMPARE(data.FloorCount, 0);
    CheckRowsMissing(ShowFloors(data, 0), 0, 8);
}

void tst_FloorsPage::partialLines_data() {
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("firstMissingRow");
    QTest::newRow("20 fields, first page") << 20 << 0 << 8;
    QTest::newRow("20 fields, top 5") << 20 << 5 << 6;
    QTest::newRow("20 fields, last page") << 20 << 56 << 0;
    QTest::newRow("10 fields") << 10 << 0 << 1;
    QTest::newRow("9 fields") << 9 << 0 << 0;
    QTest::newRow("1 field, last page") << 1 << 56 << 0;
    QTest::newRow("empty text") << 0 << 0 << 0;
    QTest::newRow("72 fields, last page") << 72 << 56 << 7;
    QTest::newRow("80 fields, last page") << 80 << 56 << 8;
}

void tst_FloorsPage::partialLines() {
    QFETCH(int, fields);
    QFETCH(int, top);
    QFETCH(int, firstMissingRow);
    const FloorsPage page = ShowFloors(Data(Message(fields, "00")), top);
    CheckRowsMissing(page, firstMissingRow, 8);
}

void tst_FloorsPage::floorValues_data() {
    QTest::addColumn<QString>("token");
    QTest::addColumn<QStringList>("floors"); // floors 1 to 4
    QTest::newRow("01") << "01" << QStringList{"01", "00", "00", "00"};
    QTest::newRow("40") << "40" << QStringList{"00", "00", "00", "01"};
    QTest::newRow("C3") << "C3" << QStringList{"11", "00", "00", "11"};
    QTest::newRow("E4") << "E4" << QStringList{"00", "01", "10", "11"};
    QTest::newRow("lower case") << "e4" << QStringList{"00", "01", "10", "11"};
    QTest::newRow("over-long: low byte counts") << "1E4" << QStringList{"00", "01", "10", "11"};
    QTest::newRow("very long") << "FFFFFFFFFFE4" << QStringList{"00", "01", "10", "11"};
    QTest::newRow("trailing junk") << "9Z" << QStringList{"01", "10", "00", "00"};
    QTest::newRow("no hex digit") << "ZZ" << QStringList{"00", "00", "00", "00"};
    QTest::newRow("empty field") << "" << QStringList{"00", "00", "00", "00"};
}

void tst_FloorsPage::floorValues() {
    QFETCH(QString, token);
    QFETCH(QStringList, floors);
    const FloorsPage page = ShowFloors(
        Data(MessageOf(80, [&](int r) { return r == 0 ? token.toStdString() : std::string("00"); })), 0);
    // Floor 4r + k + 1 is in column k, counted from the right: cell k of row 0.
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(Cell(page, k), floors[k]);
        QVERIFY(!page.lblAccesibleFloor[k].red);
    }
    QCOMPARE(Cell(page, 4), QString("00"));
}

void tst_FloorsPage::wholeFieldOnEveryPage() {
    // Distinct bit patterns per byte, so a byte drawn in the wrong row or a pair in the wrong column
    // shows; the last byte keeps floor 256 at "00".
    auto value = [](int r) { return std::uint8_t((r * 37 + 11) & (r == 63 ? 0x3F : 0xFF)); };
    const FloorData data = Data(MessageOf(80, [&](int r) { return modCommon::ByteToHex(value(r)); }));
    for (int top = 0; top <= kFloorsTopMax; ++top) {
        const FloorsPage page = ShowFloors(data, top);
        for (int j = 0; j < 8; ++j) {
            std::string shown;
            for (int k = 3; k >= 0; --k) {
                shown += page.lblAccesibleFloor[4 * j + k].caption;
                QVERIFY(!page.lblAccesibleFloor[4 * j + k].red);
            }
            QCOMPARE(shown, std::bitset<8>(value(top + j)).to_string());
        }
    }
}

void tst_FloorsPage::floor256_data() {
    QTest::addColumn<QString>("lastByte");
    QTest::addColumn<QString>("floor256");
    QTest::addColumn<bool>("red");
    QTest::addColumn<QString>("floors253to255");
    QTest::newRow("40") << "40"
                        << "01" << true << "00";
    QTest::newRow("3F") << "3F"
                        << "00" << false << "11";
    QTest::newRow("C0") << "C0"
                        << "11" << true << "00";
    QTest::newRow("80") << "80"
                        << "10" << true << "00";
    QTest::newRow("lower case 3f") << "3f"
                                   << "00" << false << "11";
}

void tst_FloorsPage::floor256() {
    QFETCH(QString, lastByte);
    QFETCH(QString, floor256);
    QFETCH(bool, red);
    QFETCH(QString, floors253to255);
    const FloorData data = Data(MessageOf(80, [&](int) { return lastByte.toStdString(); }));
    const FloorsPage last = ShowFloors(data, kFloorsTopMax);
    QCOMPARE(Cell(last, 31), floor256);
    QCOMPARE(last.lblAccesibleFloor[31].red, red);
    QVERIFY(!last.lblNo[31].visible);
    for (int i = 28; i < 31; ++i) {
        QCOMPARE(Cell(last, i), floors253to255);
        QVERIFY(!last.lblAccesibleFloor[i].red);
        QVERIFY(last.lblNo[i].visible);
    }
    // The same byte value on an earlier page is an ordinary floor (224 at top 48).
    const FloorsPage earlier = ShowFloors(data, 48);
    QCOMPARE(Cell(earlier, 31), floor256);
    QVERIFY(!earlier.lblAccesibleFloor[31].red);
}

void tst_FloorsPage::rowsAndLabels_data() {
    QTest::addColumn<int>("top");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("labels"); // "i=label" pairs
    QTest::newRow("top 0") << 0 << QStringList{"01", "02", "03", "04", "05", "06", "07", "08"}
                           << QStringList{"0=(1st)",   "1=(2nd)",   "2=(3rd)",   "3=(4th)",   "4=(5th)",
                                          "9=(10th)",  "10=(11th)", "11=(12th)", "12=(13th)", "19=(20th)",
                                          "20=(21st)", "21=(22nd)", "22=(23rd)", "23=(24th)", "31=(32nd)"};
    QTest::newRow("top 5") << 5 << QStringList{"06", "07", "08", "09", "10", "11", "12", "13"}
                           << QStringList{"0=(21st)", "31=(52nd)"};
    QTest::newRow("top 27") << 27 << QStringList{"28", "29", "30", "31", "32", "33", "34", "35"}
                            << QStringList{"0=(109th)", "2=(111st)", "3=(112nd)", "4=(113rd)", "31=(140th)"};
    QTest::newRow("top 52") << 52 << QStringList{"53", "54", "55", "56", "57", "58", "59", "60"}
                            << QStringList{"2=(211st)", "3=(212nd)", "11=(220th)", "12=(221st)"};
    QTest::newRow("top 56") << 56 << QStringList{"57", "58", "59", "60", "61", "62", "63", "64"}
                            << QStringList{"0=(225th)", "3=(228th)", "27=(252nd)", "30=(255th)", "31="};
}

void tst_FloorsPage::rowsAndLabels() {
    QFETCH(int, top);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, labels);
    const FloorsPage page = ShowFloors(Data(Message(80)), top);
    for (int d = 0; d < 8; ++d)
        QCOMPARE(QString::fromStdString(page.lblIndex[d]), rows[d]);
    for (const QString& pair : labels) {
        const int i = pair.section('=', 0, 0).toInt();
        const QString label = pair.section('=', 1);
        QCOMPARE(QString::fromStdString(page.lblNo[i].caption), label);
        QCOMPARE(page.lblNo[i].visible, !label.isEmpty());
    }
    int hidden = 0;
    for (const Label& no : page.lblNo)
        hidden += no.visible ? 0 : 1;
    QCOMPARE(hidden, top == kFloorsTopMax ? 1 : 0);
}

void tst_FloorsPage::topOutsideRange() {
    const FloorData data = Data(MessageOf(80, [](int r) { return modCommon::ByteToHex(std::uint8_t(r)); }));
    const FloorsPage first = ShowFloors(data, 0);
    const FloorsPage last = ShowFloors(data, kFloorsTopMax);
    QCOMPARE(ShowFloors(data, -3).lblIndex, first.lblIndex);
    QCOMPARE(ShowFloors(data, -3).lblAccesibleFloor, first.lblAccesibleFloor);
    QCOMPARE(ShowFloors(data, 63).lblIndex, last.lblIndex);
    QCOMPARE(ShowFloors(data, 63).lblAccesibleFloor, last.lblAccesibleFloor);
}

void tst_FloorsPage::dumpGrid_data() {
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("lastRow"); // the last row holding a byte, 0 for none
    QTest::newRow("empty text") << 0 << 0;
    QTest::newRow("8 fields") << 8 << 1;
    QTest::newRow("16 fields") << 16 << 1;
    QTest::newRow("17 fields") << 17 << 2;
    QTest::newRow("80 fields") << 80 << 5;
    QTest::newRow("256 fields") << 256 << 16;
    QTest::newRow("300 fields") << 300 << 16;
}

void tst_FloorsPage::dumpGrid() {
    QFETCH(int, fields);
    QFETCH(int, lastRow);
    // Field i reads as i in hexadecimal, so each one is told apart from the others (256 becomes "100").
    auto field = [](int i) { return QString::number(i, 16).rightJustified(2, '0').toUpper().toStdString(); };
    std::vector<std::string> text;
    for (int i = 0; i < fields; ++i)
        text.push_back(field(i));
    const DumpGrid grid = MakeDumpGrid(Join(text));

    QCOMPARE(grid[0][0], std::string());
    QCOMPARE(grid[0][1], std::string("+0"));
    QCOMPARE(grid[0][10], std::string("+9"));
    QCOMPARE(grid[0][11], std::string("+A"));
    QCOMPARE(grid[0][16], std::string("+F"));
    QCOMPARE(grid[1][0], std::string("00"));
    QCOMPARE(grid[2][0], std::string("10"));
    QCOMPARE(grid[11][0], std::string("A0"));
    QCOMPARE(grid[16][0], std::string("F0"));

    int shown = 0;
    int last = 0;
    for (int r = 1; r < kDumpGridSize; ++r) {
        for (int c = 1; c < kDumpGridSize; ++c) {
            const int i = (r - 1) * 16 + (c - 1);
            QCOMPARE(grid[r][c], i < fields ? field(i) : std::string());
            if (!grid[r][c].empty()) {
                ++shown;
                last = r;
            }
        }
    }
    QCOMPARE(shown, std::min(fields, 256));
    QCOMPARE(last, lastRow);
}

void tst_FloorsPage::dumpGridOddTexts() {
    DumpGrid grid = MakeDumpGrid("04  41");
    QCOMPARE(grid[1][1], std::string("04"));
    QCOMPARE(grid[1][2], std::string());
    QCOMPARE(grid[1][3], std::string("41"));
    QCOMPARE(grid[1][4], std::string());

    grid = MakeDumpGrid("04 41 00 00 11 00 00 00");
    const std::vector<std::string> row0 = {"04", "41", "00", "00", "11", "00", "00", "00"};
    for (int c = 1; c <= 16; ++c)
        QCOMPARE(grid[1][c], c <= 8 ? row0[c - 1] : std::string());
    QCOMPARE(grid[2][1], std::string());

    // Shown as the line holds them: no parsing, no case change.
    grid = MakeDumpGrid("c3 1C3 ZZ");
    QCOMPARE(grid[1][1], std::string("c3"));
    QCOMPARE(grid[1][2], std::string("1C3"));
    QCOMPARE(grid[1][3], std::string("ZZ"));
}

QTEST_GUILESS_MAIN(tst_FloorsPage)
#include "tst_floorspage.moc"
