#include "capture/CaptureFile.h"
#include "capture/CaptureLine.h"
#include "capture/DateOrder.h"
#include "link/CaptureFileIO.h"
#include "link/LocalClock.h"
#include "link/PacketCaptureFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"

#include <memory>

using namespace std::literals;
using Status = ParsedCaptureFile::Status;

namespace {

constexpr std::string_view kFormat = "[yyyy/mm/dd] [hh:mm:ss]";

using namespace test_files;

QByteArray Bytes(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

// A connection fed segments directly: (packet, sequence number, payload); packet n is stamped at second
// 1,765,000,000 + n.
TcpConnection Connection(std::uint16_t clientPort,
                         const std::vector<std::tuple<int, std::uint32_t, std::string>>& segments) {
    TcpConnection connection;
    connection.key.clientPort = clientPort;
    connection.key.serverPort = kDefaultLinkPort;
    for (const auto& [packet, seq, payload] : segments) {
        TcpSegment segment;
        segment.packet = static_cast<std::uint64_t>(packet);
        segment.timeNs = (1'765'000'000LL + packet) * 1'000'000'000LL + 999'999'999;
        segment.seq = seq;
        segment.payload = reinterpret_cast<const std::uint8_t*>(payload.data());
        segment.size = payload.size();
        connection.stream.Add(segment);
    }
    return connection;
}

// The line a live read of these bytes at that packet's second would give.
std::string LiveLine(LocalClock& clock, int packet, std::string_view bytes) {
    return MakeCaptureLine(clock.PrefixAt(1'765'000'000 + packet),
                           reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

class tst_capture : public QObject {
    Q_OBJECT

private slots:
    // Reads of two connections, one segment out of order, a read of exactly one line's 256 bytes and one
    // of a byte more than two lines hold: the lines a live recording would have, newest first.
    void packetCaptureLines() {
        const std::string full(256, 'x');
        const std::string big = std::string(256, 'a') + std::string(256, 'b') + "c";
        PacketCaptureContents contents;
        contents.connections.push_back(Connection(40000, {{1, 10, "AB"}, {3, 14, "EF"}, {4, 12, "CD"}}));
        contents.connections.push_back(Connection(40001, {{2, 100, full}, {5, 356, big}}));
        for (TcpConnection& connection : contents.connections)
            connection.stream.Finish(5);
        LocalClock clock;
        const CaptureLines lines = PacketCaptureLines(contents, clock);
        const CaptureLines expected = {LiveLine(clock, 5, std::string_view(big).substr(512)),
                                       LiveLine(clock, 5, std::string_view(big).substr(256, 256)),
                                       LiveLine(clock, 5, std::string_view(big).substr(0, 256)),
                                       LiveLine(clock, 3, "EF"),
                                       LiveLine(clock, 4, "CD"),
                                       LiveLine(clock, 2, full),
                                       LiveLine(clock, 1, "AB")};
        QCOMPARE(std::vector<std::string_view>(lines.begin(), lines.end()),
                 std::vector<std::string_view>(expected.begin(), expected.end()));
    }

    void captureLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("shown");
        QByteArray many; // 7 is odd, so 256 steps of it meet every byte value once
        for (int i = 0; i < 300; ++i)
            many.append(static_cast<char>(i * 7));
        QTest::newRow("no byte") << QByteArray() << 0;
        QTest::newRow("single 0x05") << QByteArray("\x05") << 1;
        QTest::newRow("256 bytes") << many.left(256) << 256;
        QTest::newRow("300 bytes") << many << 256;
    }
    void captureLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, shown);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        const std::string line =
            MakeCaptureLine(MakeCapturePrefix("2024/05/17", "14:03:27"), data, bytes.size());
        QByteArray expected = "[2024/05/17] [14:03:27]";
        if (shown > 0)
            expected += ' ' + bytes.left(shown).toHex(' ').toUpper();
        QCOMPARE(Bytes(line), expected);
    }

    void splitCaptureLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArrayList>("parts"); // date, time, byte text
        QTest::newRow("capture line") << QByteArray("[17.05.2024] [2:03:27 PM] 0C 41 00 00")
                                      << QByteArrayList{"17.05.2024", "2:03:27 PM", "0C 41 00 00"};
        QTest::newRow("one bracket pair")
            << QByteArray("[2024/05/17] 0C") << QByteArrayList{"2024/05/17", "", "2024/05/17] 0C"};
        QTest::newRow("no brackets") << QByteArray("0C 41") << QByteArrayList{"", "", "C 41"};
    }
    void splitCaptureLine() {
        QFETCH(QByteArray, line);
        const CaptureLineParts parts = SplitCaptureLine(std::string_view(line.constData(), line.size()));
        QTEST((QByteArrayList{Bytes(parts.date), Bytes(parts.time), Bytes(parts.byteText)}), "parts");
    }

    // "saved": the bytes are exactly what a save of the lines writes.
    void captureFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Status>("status");
        QTest::addColumn<CaptureLines>("lines");
        QTest::addColumn<bool>("saved");
        const QByteArray h = Bytes(kFormat);
        QTest::newRow("header only") << h + "\r\n" << Status::Ok << CaptureLines() << true;
        QTest::newRow("first line is a capture line") << "[17/05/2024] [14:03:27] 0C\r\n" + h + "\r\n"
                                                      << Status::NotCapture << CaptureLines() << false;
        QTest::newRow("mark in another case") << QByteArray("[YYYY/MM/DD] [HH:MM:SS]\r\nx\r\n")
                                              << Status::NotCapture << CaptureLines() << false;
        QTest::newRow("mark inside the first line")
            << QByteArray("any [hh:mm:ss] text\r\nx\r\n") << Status::Ok << CaptureLines{"x"} << false;
        QTest::newRow("CR LF, CR, LF; LF CR and CR CR LF are two; last unended")
            << h + "\r\na\rb\nc\n\rd\r\r\ne" << Status::Ok << CaptureLines{"a", "b", "c", "", "d", "", "e"}
            << false;
        QTest::newRow("order, empty lines, blanks, NUL and invalid UTF-8 kept")
            << h + Bytes("\r\n[d] [t] 0C\r\n\r\n a\0b \r\n\xff\xfe\xc3\r\n\r\n"sv) << Status::Ok
            << CaptureLines{"[d] [t] 0C", "", " a\0b "sv, "\xff\xfe\xc3", ""} << true;
        // Several write pieces in one line, of every byte value except the line ends.
        std::string big(4 << 20, '\0');
        for (std::size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i % 256 == '\r' || i % 256 == '\n' ? 0 : i % 256);
        QTest::newRow("4 MB binary line") << h + "\r\n" + Bytes(big) + "\r\n\r\nx\r\n"
                                          << Status::Ok << CaptureLines{big, "", "x"} << true;
    }
    void captureFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, saved);
        const ParsedCaptureFile parsed = ParseCaptureFile(std::string_view(bytes.constData(), bytes.size()));
        QTEST(parsed.status, "status");
        QTEST(parsed.lines, "lines");
        if (!saved)
            return;
        QCOMPARE(Bytes(FormatCaptureFile(kFormat, parsed.lines)), bytes);
        // Through a file, over a longer old one that must be replaced whole, not overwritten at the front.
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        QVERIFY(WriteFile(path, QByteArray(5 << 20, 'o')));
        QVERIFY(SaveCaptureFile(path, kFormat, parsed.lines));
        QCOMPARE(ReadAll(path), bytes);
        const LoadedCaptureFile loaded = LoadCaptureFile(path);
        QVERIFY(loaded.readOk);
        QCOMPARE(loaded.parsed.status, Status::Ok);
        QCOMPARE(loaded.parsed.lines, parsed.lines);
        QCOMPARE(Entries(dir.path()), QStringList{"capture.txt"});
    }

    // Loaded lines point into the file's text while arrivals own theirs; copies must stay whole after
    // the store they came from, and that store's text, are gone.
    void mixedStore() {
        CaptureLines store = ParseCaptureFile("[hh:mm:ss]\r\nloaded line number one\r\nloaded two\r\n").lines;
        store.push_front("arrival");
        store.pop_back();
        auto source = std::make_unique<CaptureLines>(std::move(store));
        store = *source;
        const CaptureLines copy(*source);
        source.reset();
        QCOMPARE(copy, (CaptureLines{"arrival", "loaded line number one"}));
        QCOMPARE(store, copy);
        QVERIFY(!(copy == CaptureLines{"arrival"}));
        QVERIFY(!(copy == CaptureLines{"arrival", "loaded line number 1!!"}));
    }

    void dateOrder_data() {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("formatText");
        QTest::newRow("month first") << QString("11/22/2012") << QString("[mm/dd/yyyy] [hh:mm:ss]");
        QTest::newRow("day first") << QString("22.11.2012") << QString("[dd/mm/yyyy] [hh:mm:ss]");
        QTest::newRow("year first") << QString("2012/11/22") << QString("[yyyy/mm/dd] [hh:mm:ss]");
        QTest::newRow("two-digit year first") << QString("12/11/22") << QString("[yyyy/mm/dd] [hh:mm:ss]");
        QTest::newRow("empty") << QString() << QString("[yyyy/mm/dd] [hh:mm:ss]");
    }
    void dateOrder() {
        QFETCH(QString, sample);
        QTEST(QString::fromStdString(MakeFormatText(sample.toStdString())), "formatText");
    }
};

QTEST_GUILESS_MAIN(tst_capture)
#include "tst_capture.moc"
