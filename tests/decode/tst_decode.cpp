#include "decode/DecodeTable.h"
#include "decode/Framing.h"
#include "decode/LineMark.h"
#include "decode/LineMessages.h"

#include <QTest>

namespace {

// The capture line that holds the given byte text.
std::string Line(const QString& bytes) {
    return "[11/22/2012] [10:15:30] " + bytes.toStdString();
}

// The first count tokens of a text.
QString Cut(const QString& bytes, int count) {
    return bytes.split(u' ').mid(0, count).join(u' ');
}

// The text with its tokens from index on replaced by the tokens of with.
QString Set(const QString& text, int index, const QString& with) {
    QStringList tokens = text.split(u' ');
    const QStringList replacement = with.split(u' ');
    for (int k = 0; k < replacement.size(); ++k)
        tokens[index + k] = replacement[k];
    return tokens.join(u' ');
}

// One row of the current data table, the columns in order.
template <typename... Columns> void Row(const QByteArray& name, const Columns&... columns) {
    (QTest::newRow(name.constData()) << ... << columns);
}

// Value cells as the operator sees them: the text ("_" when empty) and "!" when red; "~" when hidden.
template <std::size_t N> QString Cells(const std::array<Label, N>& cells) {
    QStringList out;
    for (const Label& cell : cells)
        out << (cell.visible ? (cell.caption.empty() ? "_" : QString::fromStdString(cell.caption)) +
                                   (cell.red ? "!" : "")
                             : "~");
    return out.join(u' ');
}

QString Caption(const Label& label) {
    return label.visible ? QString::fromStdString(label.caption) : QStringLiteral("~");
}

// Name, type and explanation of every data row, "~" for a hidden label.
QString DataLabels(const DecodeTable& table) {
    const auto names = DataNameLabels(table);
    QStringList rows;
    for (std::size_t r = 0; r < kDataRows; ++r)
        rows << Caption(*names[r]) + " | " + Caption(table.lblDataTypeD[r]) + " | " +
                    Caption(table.lblDataExplanation[r]);
    return rows.join(u'\n');
}

// Tops of the third data row's name, type and explanation labels.
QList<int> FloorRowTops(const DecodeTable& table) {
    return {table.lblDestFloor.top, table.lblDataTypeD[2].top, table.lblDataExplanation[2].top};
}

const QString kMessage10 = "0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00";
const QString kMessage11 = "04 41 00 00 11 00 00 00";
const QString kMessage20 =
    "4C 41 00 00 20 30 30 30 31 " + QStringList(64, "00").join(u' ') + " 30 00 00 00 00 00 00";
// Value cell i shows token 4 + i in the 0x10 layout; the 0x20 layout hides cells 5 to 8.
const QString kCells10 = "10 30 30 30 33 30 31 35 31 30 00 00 ~ ~ ~ ~";
const QString kCells20 = "20 30 30 30 31 ~ ~ ~ ~ 30 00 00 00 00 00 00";
const QString kHidden = "~ | ~ | ~";
const QString kLabelsNone = QString(kHidden + "\n").repeated(6) + kHidden;
const QString kLabelsUnlisted =
    "Command | BYTE(1) | 0x10 or 0x11 or 0x20" + QString("\n" + kHidden).repeated(6);
const QString kLabels11 =
    "Command | BYTE(1) | 0x11 (fixed)\nResrve | BYTE(3) | 0x00 (fixed)" + QString("\n" + kHidden).repeated(5);
const QString kLabels10 = "Command | BYTE(1) | 0x10 (fixed)\n"
                          "Gate number | CHAR(4) | \"0001\" to \"9999\"\n"
                          "Dest floor | CHAR(3) | \"001\" to \"255\" (Building Floor Name)\n"
                          "Door opening | CHAR(1) | \"1\": Front side, \"2\": Rear side, \"3\": Both-side\n"
                          "Attribution | CHAR(1) | \"0\": General, \"1\": Handicapped person, \"2\": VIP\n"
                          "Seq number | BYTE(1) | 0x00 to 0xFF\n"
                          "Reserve | BYTE(1) | 0x00 (fixed)";
const QString kLabels20 = "Command | BYTE(1) | 0x20 (fixed)\n"
                          "Gate number | CHAR(4) | \"0001\" to \"0255\"\n"
                          "Accesible Floors | BYTE(64) | Accesible Floors\n"
                          "~ | ~ | ~\n"
                          "Attribution | CHAR(1) | \"0\": General, \"2\": VIP\n"
                          "Seq number | BYTE(1) | 0x00 to 0xFF\n"
                          "Reserve | BYTE(5) | 0x00 (fixed)";
const QList<int> kOwnLine = {3890, 3890, 3840};
const QList<int> kCentred = {4010, 4010, 3960};
// A token and the cell it gives.
using Case = std::pair<const char*, const char*>;

} // namespace

class tst_decode : public QObject {
    Q_OBJECT

private slots:
    void framing_data() {
        QTest::addColumn<QString>("byteText");
        QTest::addColumn<QString>("spans"); // first+count/length per message
        Row("no bytes", "", "");
        Row("one byte", "4C", "0+1/80");
        Row("two messages", "04 41 00 00 11 00 00 00 0C 41 00 00 10 30 30 30 31 30 30 31 31 30 00 00",
            "0+8/8 8+16/16");
        Row("one and a part", "04 41 00 00 11 00 00 00 04 41", "0+8/8 8+2/8");
        Row("zero length: header only", "00 41 00 00 00 41 00 00", "0+4/4 4+4/4");
        Row("over-long token saturates", "FFFFFFFFFF 41", "0+2/4294967299");
        Row("trailing blank is an empty byte", "00 41 00 00 ", "0+4/4 4+1/4");
        Row("two blanks", "04 41  00", "0+4/8");
    }

    void framing() {
        QFETCH(QString, byteText);
        const std::string text = byteText.toStdString();
        const MessageTokens tokens = SplitMessage(text);
        std::vector<MessageSpan> spans{MessageSpan{}}; // left over from a previous line
        FrameMessages(tokens, spans);
        QStringList shown;
        std::size_t next = 0;
        for (const MessageSpan& s : spans) {
            shown << QString("%1+%2/%3").arg(s.first).arg(s.count).arg(s.length);
            QCOMPARE(s.first, next); // no byte lost or counted twice
            next += s.count;
        }
        QCOMPARE(next, tokens.size());
        QTEST(shown.join(' '), "spans");
    }

    void lineMarks_data() {
        QTest::addColumn<QString>("byteText");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("command");
        const auto row = [](const char* tag, const QString& bytes, LineKind kind, LineCommand command) {
            QTest::newRow(tag) << bytes << static_cast<int>(kind) << static_cast<int>(command);
        };
        row("0x10", kMessage10, LineKind::Valid, LineCommand::C10);
        row("0x10, door 4", Set(kMessage10, 12, "34"), LineKind::Invalid, LineCommand::C10);
        row("0x11", kMessage11, LineKind::Valid, LineCommand::C11);
        row("0x11, reserve 01", Set(kMessage11, 7, "01"), LineKind::Invalid, LineCommand::C11);
        row("0x20", kMessage20, LineKind::Valid, LineCommand::C20);
        row("0x20, attribution 1", Set(kMessage20, 73, "31"), LineKind::Invalid, LineCommand::C20);
        row("version B", Set(kMessage11, 1, "42"), LineKind::Invalid, LineCommand::C11);
        row("unknown command", Set(kMessage11, 4, "33"), LineKind::Invalid, LineCommand::Other);
        row("part of 0x10", Cut(kMessage10, 6), LineKind::Part, LineCommand::C10);
        row("length byte only", "0C", LineKind::Part, LineCommand::Other);
        row("0x11 then 0x10", kMessage11 + " " + kMessage10, LineKind::Several, LineCommand::C11);
        row("0x10 then a part", kMessage10 + " 04 41", LineKind::Several, LineCommand::C10);
        row("no bytes", "", LineKind::NotMessage, LineCommand::Other);
    }

    // The mark of a line, and for a single message it agrees with the table a click draws.
    void lineMarks() {
        QFETCH(QString, byteText);
        QFETCH(int, kind);
        QFETCH(int, command);
        const std::string line = Line(byteText);
        LineMarker marker;
        marker.Mark(Line(kMessage20)); // the marker keeps nothing of a previous line
        const LineMark mark = marker.Mark(line);
        QCOMPARE(static_cast<int>(mark.Kind()), kind);
        QCOMPARE(static_cast<int>(mark.Command()), command);
        if (mark.Kind() == LineKind::Valid || mark.Kind() == LineKind::Invalid) {
            DecodeTable table;
            DecodeLine(table, line);
            const bool red = Cells(table.lblHeader).contains(u'!') || Cells(table.lblData).contains(u'!');
            QCOMPARE(red, mark.Kind() == LineKind::Invalid);
        }
    }

    // Every value cell stands on its row's line, beside its explanation, and each row's type text beside
    // its name; the window draws the twips as they are.
    void layout() {
        const DecodeTable table;
        for (std::size_t i = 0; i < table.lblHeader.size(); ++i)
            QCOMPARE(table.lblHeader[i].top, table.lblHeaderExplanation[HeaderCellRow(int(i)) - 1].top);
        for (std::size_t i = 0; i < table.lblData.size(); ++i)
            QCOMPARE(table.lblData[i].top, table.lblDataExplanation[DataCellRow(int(i)) - 1].top);
        for (std::size_t r = 0; r < kDataRows; ++r)
            QCOMPARE(table.lblDataTypeD[r].top, DataNameLabels(table)[r]->top);
        QCOMPARE(DataCellColumn(15), 4); // the 0x20 reserve row holds five cells
    }

    void header_data() {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("cells");
        Row("length 04 before a 0x10 body", Set(kMessage10, 0, "04"), "04 41 00 00");
        Row("length 0C", "0C 41 00 00", "0C 41 00 00");
        Row("length 4C", "4C 41 00 00", "4C 41 00 00");
        Row("length 10 is not a length", Set(kMessage10, 0, "10"), "10! 41 00 00");
        Row("version a", "0C 61 00 00", "0C 61! 00 00");
        Row("reserve 00 01", "0C 41 00 01", "0C 41 00 01!");
        Row("reserve 01 00", "0C 41 01 00", "0C 41 01! 00");
        Row("lower case", "0c 41 00 00", "0c 41 00 00");
        Row("over-long, equal value", "00000c 0041 000 0", "00000c 0041 000 0");
        Row("over-long, low bits equal", "1000000000C 10041 00 00", "1000000000C! 10041! 00 00");
        Row("two bytes", "0C 41", "0C 41 _! _!");
        Row("empty byte text", "", "_! _! _! _!");
    }
    void header() {
        QFETCH(QString, bytes);
        DecodeTable table;
        DecodeLine(table, Line(bytes));
        QTEST(Cells(table.lblHeader), "cells");
        QStringList rows;
        for (std::size_t r = 0; r < kHeaderRows; ++r)
            rows << Caption(table.lblDataTypeH[r]) + " | " + Caption(table.lblHeaderExplanation[r]);
        QCOMPARE(
            rows.join(u'\n'),
            "BYTE(1) | Byte size of the communication data\nCHAR(1) | \"A\" (fixed)\nBYTE(2) | 0x00 (fixed)");
    }

    // Command dispatch and the three bodies, whole, cut short and with bytes beyond their end. Each line
    // is selected on a fresh table, after lines that leave other layouts behind, and twice: nothing a
    // previous selection showed may stay unless this line shows it again.
    void body_data() {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("cells");
        const auto add = [](const QByteArray& name, const QString& bytes, const QString& cells) {
            const QString before[] = {QString(), kMessage10, kMessage20, kMessage11, bytes};
            const char* after[] = {"", " after 0x10", " after 0x20", " after 0x11", " twice"};
            for (int i = 0; i < 5; ++i)
                QTest::addRow("%s%s", name.constData(), after[i]) << before[i] << bytes << cells;
        };
        const QString none = QString(" ~").repeated(15);
        add("four bytes", "0C 41 00 00", "~" + none);
        add("empty", "", "~" + none);
        add("command 12", "04 41 00 00 12 00 00 00", "12!" + none);
        // Its low 16 bits are 0x10.
        add("command 10010", "04 41 00 00 10010 30", "10010!" + none);
        const QString rest11 = QString(" ~").repeated(12);
        add("command 0011", "04 41 00 00 0011 00 00 00", "0011 00 00 00" + rest11);
        add("0x11", kMessage11, "11 00 00 00" + rest11);
        add("0x11 FF, longer", "04 41 00 00 11 00 FF 00 01 02", "11 00 FF! 00" + rest11);
        add("0x11 of 6 bytes", "04 41 00 00 11 00", "11 00 _! _!" + rest11);
        add("0x11 of 5 bytes", "04 41 00 00 11", "11 _! _! _!" + rest11);

        // Variants of a whole message: tokens from token on replaced, cells from cell on expected as shown.
        const auto row10 = [&add](const QByteArray& name, int token, QString with, QString shown) {
            add(name, Set(kMessage10, token, with), Set(kCells10, token - 4, shown));
        };
        const auto row20 = [&add](const QByteArray& name, int token, QString with, int cell, QString shown) {
            add(name, Set(kMessage20, token, with), Set(kCells20, cell, shown));
        };
        add("0x10", kMessage10, kCells10);
        add("0x10 of 20 bytes", kMessage10 + " 01 02 03 04", kCells10);
        row10("gate 0001, floor 001", 5, "30 30 30 31 30 30 31", "30 30 30 31 30 30 31");
        row10("gate 9999, floor 255", 5, "39 39 39 39 32 35 35", "39 39 39 39 32 35 35");
        row10("gate 0000, floor 000", 5, "30 30 30 30 30 30 30", "30! 30! 30! 30! 30! 30! 30!");
        row10("floor 256", 9, "32 35 36", "32! 35! 36!");
        // A non-digit turns only its own cell red: the range check, which /000 would fail, is skipped.
        row10("gate /000", 5, "2F 30 30 30", "2F! 30 30 30");
        row10("gate 12:4", 5, "31 32 3A 34", "31 32 3A! 34");
        // A value beyond a signed 16-bit integer ends the decoding.
        row10("gate 7FFF", 5, "7FFF", "7FFF!");
        row10("gate 8000 stops", 7, "8000", "_! _! _! _! _! _! _! _! _!");
        const Case doors[] = {{"30", "30!"}, {"33", "33"}, {"34", "34!"}};
        for (const auto& [door, cell] : doors)
            row10(QByteArray("door ") + door, 12, door, cell);
        const Case attributions[] = {{"2F", "2F!"}, {"39", "39"}, {"3A", "3A!"}, {"40", "40!"},
                                     {"41", "41"},  {"46", "46"}, {"47", "47!"}, {"61", "61!"}};
        for (const auto& [attr, cell] : attributions)
            row10(QByteArray("attribution ") + attr, 13, attr, cell);
        // The sequence number is never valued, so even an over-long one is shown and decoding goes on.
        row10("seq over-long, reserve 01", 14, "123456789AB 01", "123456789AB 01!");
        // Gate 0000 and floor 000 are out of range only when complete.
        const QString zero10 = Set(kMessage10, 5, "30 30 30 30 30 30 30");
        const QString rest10 = " ~ ~ ~ ~";
        add("0x10 of 5 bytes", Cut(zero10, 5), "10 _! _! _! _! _! _! _! _! _! _! _!" + rest10);
        add("0x10 of 9 bytes", Cut(zero10, 9), "10 30! 30! 30! 30! _! _! _! _! _! _! _!" + rest10);
        add("0x10 of 11 bytes", Cut(zero10, 11), "10 30! 30! 30! 30! 30 30 _! _! _! _! _!" + rest10);
        add("0x10 of 14 bytes", Cut(zero10, 14), "10 30! 30! 30! 30! 30! 30! 30! 31 30 _! _!" + rest10);

        add("0x20", kMessage20, kCells20);
        row20("gate 0255", 5, "30 32 35 35", 1, "30 32 35 35");
        row20("gate 0256", 5, "30 32 35 36", 1, "30! 32! 35! 36!");
        row20("gate 00A1", 5, "30 30 41 31", 1, "30 30 41! 31");
        const Case attributions20[] = {
            {"2F", "2F!"}, {"31", "31!"}, {"32", "32"}, {"33", "33!"}, {"0030", "0030"}};
        for (const auto& [attr, cell] : attributions20)
            row20(QByteArray("0x20 attribution ") + attr, 73, attr, 9, cell);
        row20("0x20 attribution 10030 stops", 73, "10030", 9, "_! _! _! _! _! _! _!");
        row20("seq FF, reserve 00 00 01 00 00", 74, "FF 00 00 01 00 00", 10, "FF 00 00 01! 00 00");
        // Only a message decoded to its last reserve byte goes to the floors window, bytes beyond 80 too.
        const QString zero20 = Set(kMessage20, 5, "30 30 30 30");
        const QString red20 = "20 30! 30! 30! 30! ~ ~ ~ ~ ";
        add("0x20 of 9 bytes", Cut(zero20, 9), red20 + "_! _! _! _! _! _! _!");
        add("0x20 of 79 bytes", Cut(zero20, 79), red20 + "30 00 00 00 00 00 _!");
        add("0x20 of 80 bytes", zero20, red20 + "30 00 00 00 00 00 00");
        add("0x20 of 90 bytes", zero20 + " 01 02 03 04 05 06 07 08 09 0A", red20 + "30 00 00 00 00 00 00");
    }
    void body() {
        QFETCH(QString, previous);
        QFETCH(QString, bytes);
        QFETCH(QString, cells);
        DecodeTable table;
        if (!previous.isNull())
            DecodeLine(table, Line(previous));
        const std::string line = Line(bytes);
        const SelectionResult result = DecodeLine(table, line);
        QCOMPARE(Cells(table.lblData), cells);
        // The layout is the one the command cell names.
        const QHash<QString, QString> layouts = {
            {"~", kLabelsNone}, {"10", kLabels10}, {"11", kLabels11}, {"20", kLabels20}};
        const QString labels = layouts.value(cells.section(u' ', 0, 0).right(2), kLabelsUnlisted);
        QCOMPARE(DataLabels(table), labels);
        QCOMPARE(QString::fromStdString(std::string(result.byteText)), bytes);
        const bool floors = labels == kLabels20;
        QCOMPARE(table.btnDetailFloorsVisible, floors);
        QCOMPARE(result.floorsHandOver, floors && !cells.contains("_!"));
        // The 0x20 layout centres row 3 on the band of rows 3 and 4; the 0x10 layout puts it back.
        if (labels == kLabels10 || floors)
            QCOMPARE(FloorRowTops(table), floors ? kCentred : kOwnLine);
    }

    // The summary and cells' notes of each command, valid, invalid and cut short: "H" or "D", the index in
    // lblHeader or lblData, "=" and the note, ";" between. The red flags come from the same decoders: a
    // cell's note gives a reason exactly when the cell is red.
    void words_data() {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("notes");
        const QString valid = " \u2014 all fields valid", one = " \u2014 1 invalid, 0 missing";
        Row("0x10", kMessage10, "0x10: gate 0003, floor 015, front side, general, seq 0x00" + valid,
            "D1=gate 0003;D8=door 1: front side;H0=data length 12: 16 bytes with the header");
        Row("0x10 gate 0000", Set(kMessage10, 5, "30 30 30 30"),
            "0x10: gate 0000, floor 015, front side, general, seq 0x00" + one,
            "D4=gate 0000: outside 0001 to 9999");
        Row("0x10 door 9, VIP, reserve 01", Set(kMessage10, 12, "39 32 07 01"),
            "0x10: gate 0003, floor 015, door 9, VIP, seq 0x07 \u2014 2 invalid, 0 missing",
            "D8=door 9: must be 1, 2 or 3;D11=reserve 01: must be 00");
        Row("0x10 gate 12:4", Set(kMessage10, 5, "31 32 3A 34"),
            "0x10: gate 12:4, floor 015, front side, general, seq 0x00" + one,
            "D3=gate 12:4: \":\" is not a digit");
        Row("0x10 attribution G", Set(kMessage10, 13, "47"),
            "0x10: gate 0003, floor 015, front side, attribution G, seq 0x00" + one,
            "D9=attribution G: must be 0 to 9 or A to F");
        Row("0x10 of 9 bytes", Cut(kMessage10, 9), "0x10: gate 0003 \u2014 0 invalid, 5 missing",
            "D5=missing: the message ends after byte 9");
        Row("0x10 of 7 bytes", Cut(kMessage10, 7), "0x10: gate 00 \u2014 0 invalid, 6 missing",
            "D3=missing: the message ends after byte 7");
        Row("0x11", kMessage11, "0x11: reserve bytes only" + valid, "D2=reserve 00");
        Row("0x11 version B", Set(kMessage11, 1, "42"), "0x11: reserve bytes only" + one,
            "H1=version B: must be A");
        Row("0x11 of 6 bytes", Cut(kMessage11, 6), "0x11: reserve bytes only \u2014 0 invalid, 1 missing",
            "D3=missing: the message ends after byte 6");
        Row("command 12", Set(kMessage11, 4, "12"), "command 0x12: unknown" + one,
            "D0=command 0x12: must be 0x10, 0x11 or 0x20");
        Row("length 05", Set(kMessage11, 0, "05"), "0x11: reserve bytes only" + one,
            "H0=data length 5: must be 12 (0x10), 4 (0x11) or 76 (0x20)");
        Row("header only", Cut(kMessage11, 3), "header only, no command byte \u2014 0 invalid, 1 missing",
            "H3=missing: the message ends after byte 3");
        Row("no bytes", "", "no bytes \u2014 0 invalid, 3 missing",
            "H0=missing: the message ends after byte 0");
        Row("gate 8000 stops", Set(kMessage10, 7, "8000"), "0x10: gate 00 \u2014 6 invalid, 0 missing",
            "D3=not decoded: a value before it or here is no byte (over FFFF)");

        const QString general = ", general, seq 0x00" + valid;
        // Floors 1 to 10 both sides (bytes FF FF 0F), 12 front (byte 2 bits 2-3: 04), 20 to 22 rear.
        Row("0x20", Set(kMessage20, 9, "FF FF 4F 00 80 0A"),
            "0x20: gate 0001, 14 floors accessible (1-10 both, 12 front, 20-22 rear)" + general,
            "D9=attribution 0: general;D1=gate 0001;D10=seq 0x00");
        Row("0x20 none, VIP", Set(kMessage20, 73, "32"),
            "0x20: gate 0001, no floor accessible, VIP, seq 0x00" + valid, "");
        Row("0x20 floor 255", Set(kMessage20, 72, "10"),
            "0x20: gate 0001, 1 floor accessible (255 front)" + general, "");
        Row("0x20 floor 256 set", Set(kMessage20, 72, "C0"),
            "0x20: gate 0001, no floor accessible, floor 256 set (no such floor)" + general, "");
        Row("0x20 gate 0256, attribution 1", Set(Set(kMessage20, 5, "30 32 35 36"), 73, "31"),
            "0x20: gate 0256, no floor accessible, attribution 1, seq 0x00 \u2014 2 invalid, 0 missing",
            "D9=attribution 1: must be 0 or 2");
        Row("0x20 of 40 bytes", Cut(kMessage20, 40),
            "0x20: gate 0001, floors cut short (31 of 64 bytes) \u2014 0 invalid, 3 missing",
            "D15=missing: the message ends after byte 40");
        // Seven runs: the seventh is left to the floors window.
        Row("0x20 many runs", Set(kMessage20, 9, "11 11 11 11"),
            "0x20: gate 0001, 8 floors accessible (1 front, 3 front, 5 front, 7 front, 9 front, 11 front, "
            "\u2026)" +
                general,
            "");
    }
    void words() {
        QFETCH(QString, bytes);
        QFETCH(QString, notes);
        DecodeTable table;
        DecodeLine(table, Line(kMessage20)); // nothing of an earlier message stays in the words
        DecodeLine(table, Line(bytes));
        QTEST(QString::fromStdString(SummaryText(table.words)), "summary");
        for (const QString& cellNote : notes.split(u';', Qt::SkipEmptyParts)) {
            const QString cell = cellNote.section(u'=', 0, 0);
            const auto& cells = cell[0] == 'H' ? table.lblHeader.data() : table.lblData.data();
            QCOMPARE(QString::fromStdString(cells[cell.mid(1).toUInt()].note), cellNote.section(u'=', 1));
        }
        // Every shown cell gives a reason exactly when it is red.
        std::vector<Label> shown(table.lblHeader.begin(), table.lblHeader.end());
        shown.insert(shown.end(), table.lblData.begin(), table.lblData.end());
        for (const Label& c : shown) {
            const QString note = QString::fromStdString(c.note);
            const bool reason = note.contains(": must") || note.contains(": outside") ||
                                note.contains("not a digit") || note.startsWith("missing") ||
                                note.startsWith("not decoded");
            QVERIFY2(!c.visible || reason == c.red, qPrintable(note));
        }
    }

    // The steps of a line through its messages, and across lines; lines newest first, "|" between, "*"
    // before a line that a new connection brought.
    void lineMessages_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("steps"); // label: bytes, per step
        const QString m10 = kMessage10;
        const QString m11 = kMessage11;
        Row("one message", m11, 0, QString("message 1 of 1: " + m11));
        Row("no bytes", QString(""), 0, QString(": "));
        Row("three messages", m11 + " " + m10 + " " + m11, 0,
            QString("message 1 of 3: %1 %2 %1\nmessage 2 of 3: %2\nmessage 3 of 3: %1").arg(m11, m10));
        Row("ends in part, nothing newer", m11 + " " + Cut(m10, 9), 0,
            QString("message 1 of 2: %1 %2\nmessage 2 of 2, 7 bytes missing: %2").arg(m11, Cut(m10, 9)));
        const QString rest = m10.split(' ').mid(9).join(' ');
        Row("ends in part, joined", rest + " " + m11 + "|" + m11 + " " + Cut(m10, 9), 1,
            QString("message 1 of 2: %1 %2\nmessage 2 of 2, 7 bytes missing: %2\n"
                    "message 2 of 2, joined with the next line: %3")
                .arg(m11, Cut(m10, 9), m10));
        Row("starts with the rest", rest + " " + m11 + "|" + m11 + " " + Cut(m10, 9), 0,
            QString("starts with the last 7 bytes of a message from the line below: %1 %2\n"
                    "the message from the line below, joined with this line: %3\nmessage 1 of 1: %2")
                .arg(rest, m11, m10));
        // A message over three reads: its middle line is all rest, and it is joined across both.
        const QStringList b = m10.split(' ');
        const QString three = b.mid(12).join(' ') + "|" + b.mid(5, 7).join(' ') + "|" + b.mid(0, 5).join(' ');
        Row("first of three reads", three, 2,
            QString("message 1 of 1, 11 bytes missing: %1\nmessage 1 of 1, joined with the next 2 lines: %2")
                .arg(b.mid(0, 5).join(' '), m10));
        Row("middle of three reads", three, 1,
            QString("the whole line continues a message from the line below: %1\n"
                    "the message from the line below, joined with this line and the next line: %2")
                .arg(b.mid(5, 7).join(' '), m10));
        Row("last of three reads", three, 0,
            QString("the whole line is the last 4 bytes of a message from 2 lines below: %1\n"
                    "the message from 2 lines below, joined with this line: %2")
                .arg(b.mid(12).join(' '), m10));
        Row("joined but still short", b.mid(5, 3).join(' ') + "|" + b.mid(0, 5).join(' '), 1,
            QString("message 1 of 1, 11 bytes missing: %1\n"
                    "message 1 of 1, joined with the next line, still 8 bytes missing: %2")
                .arg(b.mid(0, 5).join(' '), b.mid(0, 8).join(' ')));
        // A peer left after 7 bytes of a message; the next one's first read is a whole message.
        const QString left = "|" + b.mid(0, 7).join(' ');
        Row("a file joins what a connection would not", m10 + left, 0,
            QString("starts with the last 9 bytes of a message from the line below: %1\n"
                    "the message from the line below, joined with this line: %2\n"
                    "message 1 of 1, 45 bytes missing: %3")
                .arg(m10, b.mid(0, 7).join(' ') + " " + b.mid(0, 9).join(' '), b.mid(9).join(' ')));
        Row("a new connection starts on a message", "*" + m10 + left, 0, QString("message 1 of 1: " + m10));
        Row("a left peer's part is never joined with it", "*" + m10 + left, 1,
            QString("message 1 of 1, 9 bytes missing: " + b.mid(0, 7).join(' ')));
        // The older connection's unfinished message reaches no further than its own last line.
        Row("the rest within the new connection", b.mid(9).join(' ') + "|*" + b.mid(0, 9).join(' ') + left, 0,
            QString("the whole line is the last 7 bytes of a message from the line below: %1\n"
                    "the message from the line below, joined with this line: %2")
                .arg(b.mid(9).join(' '), m10));
    }
    void lineMessages() {
        QFETCH(QString, lines);
        QFETCH(int, row);
        std::vector<std::string> texts;
        std::vector<bool> starts;
        for (const QString& line : lines.split('|')) {
            starts.push_back(line.startsWith('*'));
            texts.push_back(line.mid(starts.back() ? 1 : 0).toStdString());
        }
        const LineMessages messages([&](int r) { return std::string_view(texts[std::size_t(r)]); },
                                    int(texts.size()), row,
                                    [&](int r) { return bool(starts[std::size_t(r)]); });
        QStringList steps;
        for (int i = 0; i < messages.StepCount(); ++i) {
            const LineMessages::Step step = messages.Take(i);
            steps << QString::fromStdString(step.label + ": " + JoinTokens(step.tokens));
        }
        QTEST(steps.join('\n'), "steps");
    }

    void initDetailView() {
        DecodeTable table;
        InitDetailView(table);
        const QString startUpLabels =
            "Command | BYTE(1) | \nGate number | CHAR(4) | \nDest floor | CHAR(3) | \n"
            "Door opening | CHAR(1) | \nAttribution | CHAR(1) | \nSeq number | BYTE(1) | \n"
            "Reserve | BYTE(1) | ";
        const QString startUpCells = "_ _ _ _ _ _ _ _ _ _ _ _ ~ ~ ~ ~";
        QCOMPARE(DataLabels(table), startUpLabels);
        QCOMPARE(Cells(table.lblData), startUpCells);
        QCOMPARE(Cells(table.lblHeader), "_ _ _ _");

        DecodeLine(table, Line(kMessage20));
        InitDetailView(table);
        QCOMPARE(FloorRowTops(table), kOwnLine);
        // Rows 3 and 4 are put back; the reserve row keeps the 0x20 type text.
        QCOMPARE(DataLabels(table), QString(startUpLabels).replace("Reserve | BYTE(1)", "Reserve | BYTE(5)"));
        QCOMPARE(Cells(table.lblData), startUpCells);
        QVERIFY(!table.btnDetailFloorsVisible);

        // Only the name labels of rows 2 to 7 and the row 4 type and explanation come back: what the
        // last selection's reset hid otherwise stays hidden, and the 0x11 caption of row 2 stays.
        DecodeLine(table, Line(kMessage11));
        DecodeLine(table, Line("0C 41 00 00"));
        InitDetailView(table);
        QCOMPARE(DataLabels(table),
                 "~ | ~ | ~\nResrve | ~ | ~\nDest floor | ~ | ~\nDoor opening | CHAR(1) | \n"
                 "Attribution | ~ | ~\nSeq number | ~ | ~\nReserve | ~ | ~");
        QCOMPARE(Cells(table.lblData), startUpCells);
        QCOMPARE(Cells(table.lblHeader), "_ _ _ _");
        QCOMPARE(Cells(table.lblHeaderExplanation), "_ _ _");
    }
};

QTEST_GUILESS_MAIN(tst_decode)
#include "tst_decode.moc"
