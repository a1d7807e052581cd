// The reports as the window copies them and the headless commands print them.
#include "capture/CaptureLine.h"
#include "decode/DecodeWords.h"
#include "report/BatchDecoder.h"
#include "report/JsonText.h"
#include "report/LineDecoder.h"
#include "report/TextReport.h"

#include <QTest>

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void jsonString_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("inner quotes, backslash")
            << QByteArray("\"A\" a\\b") << QByteArray("\"\\\"A\\\" a\\\\b\"");
        QTest::newRow("control characters")
            << QByteArray("a\tb\x01\x7f") << QByteArray(R"j("a\u0009b\u0001\u007F")j");
        QTest::newRow("C1 in UTF-8 escaped, the next letter kept")
            << QByteArray("\xc2\x9b\xc2\x80\xc2\xa0") << QByteArray("\"\\u009B\\u0080\xc2\xa0\"");
        QTest::newRow("C1 as a raw byte") << QByteArray("\x9b[2J") << QByteArray("\"\\ufffd[2J\"");
        QTest::newRow("UTF-8 kept, four bytes too") << QByteArray("2012 \xe5\x8d\x88 \xf0\x9f\x98\x80")
                                                    << QByteArray("\"2012 \xe5\x8d\x88 \xf0\x9f\x98\x80\"");
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9") << QByteArray(R"j("caf\ufffd")j");
        QTest::newRow("cut sequence") << QByteArray("\xe5\x8d") << QByteArray(R"j("\ufffd\ufffd")j");
        QTest::newRow("over-long form") << QByteArray("\xc0\xaf") << QByteArray(R"j("\ufffd\ufffd")j");
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QByteArray(R"j("\ufffd\ufffd\ufffd")j");
    }

    void jsonString() {
        QFETCH(QByteArray, text);
        std::string out = "x";
        AppendJsonString(out, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        QTEST(QByteArray::fromStdString(out.substr(1)), "json");
    }

    // Batches are decoded on several threads, each with its own table, so a line's report must not depend on
    // what the table showed before. The decoders change shared labels (the 0x11 row name, the 0x20 layout of
    // rows 3 and 4), which makes every order of the layouts worth checking. The text report keeps the rows
    // of each layout it wrote for the next message of that layout, so the list also holds messages of one
    // layout with other digits, with a red cell, with a one-digit token, and two to a line.
    void reportIndependentOfEarlierLines() {
        std::string line20 = "[11/22/2012] [10:15:34] 4C 41 00 00 20 30 30 30 31";
        for (int i = 0; i < 64; ++i)
            line20 += " 5A";
        const std::vector<std::string> lines = {
            "[11/22/2012] [10:15:30] 04 41 00 00 11 00 00 00",
            "[11/22/2012] [10:15:31] 0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00",
            line20 + " 32 07 00 00 00 00 00",
            line20, // cut short after the floors
            "[11/22/2012] [10:15:35] 04 41 00 00 12",
            "[11/22/2012] [10:15:37]",
            "[11/22/2012] [10:15:38] 04 41 00 00 11 00 00 00 4C 41 00 00 20 30 30",
            "[11/22/2012] [10:15:39] 0C 41 00 00 10 39 38 37 36 32 35 35 33 32 FF 00",
            "[11/22/2012] [10:15:40] 0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 01",
            "[11/22/2012] [10:15:41] 0C 41 0 00 10 30 30 30 33 30 31 35 31 30 00 00",
            "[11/22/2012] [10:15:42] 0C 41 00 00 10 30 30 30 34 30 31 36 32 31 05 00 "
            "0C 41 00 00 10 30 30 30 35 30 31 37 33 32 06 00",
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
                    std::string before, after;
                    decoder.Decode("-", 1, first, before);
                    decoder.Decode("-", 2, second, after);
                    QCOMPARE(QString::fromStdString(after), QString::fromStdString(alone));
                }
            }
        }
    }

    // The text report writes a message of a layout it has written before from the rows it kept, its
    // cells written over. Any text of the table that differs, even in place at the same size or as
    // another fixed text of the same size, must be written out anew, as must a cell that is not two
    // plain characters. A fixed text of the same characters elsewhere is another layout: written anew,
    // the same.
    void keptRowsFollowTheTable_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("fixed"); // an index into fixedTexts, or -1 for a caption of its own
        QTest::addColumn<bool>("differs");
        QTest::newRow("a data row's name") << "lblGateNumber"
                                           << "Gate numbeR" << -1 << true;
        QTest::newRow("a data row's type") << "lblDataTypeD"
                                           << "CHAR(9)" << -1 << true;
        QTest::newRow("a data row's explanation") << "lblDataExplanation"
                                                  << "0x11 (fixed)" << -1 << true;
        QTest::newRow("a header row's type") << "lblDataTypeH"
                                             << "BYTE(9)" << -1 << true;
        QTest::newRow("a header row's explanation") << "lblHeaderExplanation"
                                                    << "\"B\" (fixed)" << -1 << true;
        QTest::newRow("another fixed explanation") << "lblDataExplanation"
                                                   << "" << 0 << true;
        QTest::newRow("another fixed name") << "lblGateNumber"
                                            << "" << 1 << true;
        QTest::newRow("the same characters, fixed elsewhere") << "lblDataExplanation"
                                                              << "" << 2 << false;
        QTest::newRow("the same text, set again") << "lblDataExplanation"
                                                  << "" << 3 << false;
        QTest::newRow("a row hidden, its cells standing") << "lblDestFloor"
                                                          << "(hidden)" << -1 << true;
        QTest::newRow("a cell, other digits") << "lblData"
                                              << "39" << -1 << true;
        QTest::newRow("a cell of three characters") << "lblData"
                                                    << "309" << -1 << true;
        QTest::newRow("a cell of one character") << "lblData"
                                                 << "9" << -1 << true;
        QTest::newRow("a cell with a blank") << "lblData"
                                             << "3 " << -1 << true;
        QTest::newRow("a cell with a control character") << "lblData"
                                                         << "3\x1b" << -1 << true;
    }

    void keptRowsFollowTheTable() {
        QFETCH(QString, label);
        QFETCH(QString, caption);
        QFETCH(int, fixed);
        QFETCH(bool, differs);
        static constexpr char kSameCharacters[] = "0x10 (fixed)";
        static constexpr std::array<std::string_view, 4> fixedTexts = {
            DecodeWords::kExplanations11[0], "Gate numbeR", kSameCharacters, DecodeWords::kExplanations10[0]};
        DecodeTable table;
        table.withWords = false;
        DecodeMessage(table, SplitMessage("0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00"));
        Label& changed = label == "lblGateNumber"          ? table.lblGateNumber
                         : label == "lblDestFloor"         ? table.lblDestFloor
                         : label == "lblDataTypeD"         ? table.lblDataTypeD[1]
                         : label == "lblDataExplanation"   ? table.lblDataExplanation[0]
                         : label == "lblDataTypeH"         ? table.lblDataTypeH[1]
                         : label == "lblHeaderExplanation" ? table.lblHeaderExplanation[1]
                                                           : table.lblData[2];
        const std::vector<MessageSpan> spans = {{0, 16, 16}};
        LineInfo line;
        line.source = "-";
        line.spans = &spans;
        const TableReader reader(table);
        // As the decoder reports a message: from the kept rows when the report has them.
        const auto report = [&](TextReport& text, std::string& out) {
            TableShape shape;
            TableRows rows;
            MessageReport message;
            message.span = &spans[0];
            if (reader.ReadShape(shape))
                message.shape = &shape;
            if (message.shape && text.AddKeptMessage(out, line, message))
                return;
            reader.Read(rows);
            message.rows = &rows;
            text.AddMessage(out, line, message);
        };
        TextReport kept(false);
        std::string before;
        report(kept, before);
        if (caption == "(hidden)")
            changed.visible = false;
        else if (fixed < 0)
            SetCaption(changed, caption.toStdString());
        else
            SetFixedCaption(changed, fixedTexts[static_cast<std::size_t>(fixed)]);
        std::string written, fresh;
        report(kept, written);
        TextReport unkept(false);
        report(unkept, fresh);
        QCOMPARE(fresh != before, differs);
        QCOMPARE(QString::fromStdString(written), QString::fromStdString(fresh));
        // What it kept of the changed table, with the last cell's digits changed.
        SetCaption(table.lblData[DataCell::kReserve], "7E");
        std::string again, freshAgain;
        report(kept, again);
        TextReport unkeptAgain(false);
        report(unkeptAgain, freshAgain);
        QCOMPARE(QString::fromStdString(again), QString::fromStdString(freshAgain));
    }

    // The text report keeps the header's text before and after the number for the records that share
    // it: each record's header must still be its own, whichever of its parts changed, even at the same size.
    void textHeadersFollowEveryPart() {
        const std::vector<LineHeader> headers = {
            {"f.pcap", 1, "10.0.0.1:50000 > 10.0.0.2:60173", "11/22/2012", "10:15:30"},
            {"f.pcap", 2, "10.0.0.1:50000 > 10.0.0.2:60173", "11/22/2012", "10:15:30"},
            {"f.pcap", 10, "10.0.0.1:50000 > 10.0.0.2:60173", "11/22/2012", "10:15:31"},
            {"f.pcap", 11, "10.0.0.1:50001 > 10.0.0.2:60173", "11/22/2012", "10:15:31"},
            {"f.pcap", 12, "10.0.0.1:50001 > 10.0.0.2:60173", "11/23/2012", "10:15:31"},
            {"g.pcap", 12, "10.0.0.1:50001 > 10.0.0.2:60173", "11/23/2012", "10:15:31"},
            {"g\x1b[2J", 12, "10.0.0.1:50001 > 10.0.0.2:60173", "11/23/2012", "10:15:31"},
            {"g.pcap", 13, "", "11/23/2012", "10:15:31"},
            {"g.pcap", 14, "", "", ""},
            {"", 15, "", "", ""},
            {"f.pcap", 16, "10.0.0.1:50000 > 10.0.0.2:60173", "11/22/2012", "10:15:30"},
        };
        TextHeaders kept;
        for (const LineHeader& header : headers) {
            std::string written, alone;
            kept.Append(written, header);
            AppendTextHeader(alone, header);
            QCOMPARE(QString::fromStdString(written), QString::fromStdString(alone));
        }
        std::string first;
        AppendTextHeader(first, headers.front());
        QCOMPARE(QString::fromStdString(first),
                 QString("f.pcap:1  [11/22/2012] [10:15:30]  10.0.0.1:50000 > 10.0.0.2:60173  "));
    }

    // A message handed over as bytes is reported as its capture line would be, on the calling thread and
    // on workers, whether the header's date and time are views into the prefix or texts of their own.
    void bytesReportAsTheirLine() {
        const std::vector<std::uint8_t> bytes = {0x0C, 0x41, 0x00, 0x00, 0x10, '0', '0',  '0',
                                                 '3',  '0',  '1',  '5',  '1',  '0', 0x00, 0x01};
        const std::string prefix = MakeCapturePrefix("11/22/2012", "10:15:30");
        const CaptureLineParts parts = SplitCaptureLine(prefix);
        const std::string date = "11/22/2012";
        const std::string time = "10:15:30";
        std::string line;
        LineDecoder(DecodeOptions())
            .Decode("f.pcap", 7, MakeCaptureLine(prefix, bytes.data(), bytes.size()), line, "a > b");
        for (const unsigned workers : {0U, 2U}) {
            std::string got;
            bool valid = true;
            {
                BatchDecoder decoder(DecodeOptions(), workers,
                                     [&got](const std::string& text) { got += text; });
                for (const LineHeader& header :
                     {LineHeader{"f.pcap", 7, "a > b", parts.date, parts.time},
                      LineHeader{"f.pcap", 7, "a > b", date, time}, LineHeader{"f.pcap", 7, "a > b", {}, {}}})
                    decoder.AddBytes(header, prefix, bytes.data(), bytes.size());
                decoder.Drain();
                valid = decoder.allValid();
            }
            QCOMPARE(QString::fromStdString(got), QString::fromStdString(line + line + line));
            QVERIFY(!valid);
        }
    }

    // A packet capture's message is decoded from its bytes, without making its line: the report must be
    // the one its line gives, whatever the table showed before.
    void bytesDecodeWithoutTheirLine() {
        const std::vector<std::vector<std::uint8_t>> messages = {
            {},
            {0x04},
            {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00},
            {0x0C, 0x41, 0x00, 0x00, 0x10, '0', '0', '0', '3', '0', '1', '5', '1', '0', 0x00, 0x00},
            {0x0C, 0x42, 0x01, 0x00, 0x10, 'x', '0', '0', '0', '9', '9', '9', '7', '5', 0x00, 0x01, 0x04},
            std::vector<std::uint8_t>(300, 0x4C),
        };
        const std::string prefix = MakeCapturePrefix("11/22/2012", "10:15:30");
        for (const bool json : {false, true}) {
            DecodeOptions options;
            options.json = json;
            options.floors = true;
            LineDecoder byText(options), made(options);
            for (const auto& bytes : messages) {
                std::string line = prefix; // every byte, as a message's line holds them
                AppendCaptureBytes(line, bytes.data(), bytes.size());
                std::string expected, got;
                const bool expectedValid = byText.Decode("f.pcap", 3, line, expected, "a > b");
                const CaptureLineParts parts = SplitCaptureLine(prefix);
                QCOMPARE(made.DecodeBytes({"f.pcap", 3, "a > b", parts.date, parts.time}, bytes, got),
                         expectedValid);
                QCOMPARE(QString::fromStdString(got), QString::fromStdString(expected));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
