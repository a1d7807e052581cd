#include "capture/CaptureFile.h"
#include "capture/CaptureFilter.h"
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

#include <algorithm>
#include <deque>
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

// A capture list whose lines carry their marks: "i10 ..." an invalid 0x10, "v11 ..." a valid 0x11;
// "?i10 ..." one whose mark is pending until the marks come.
class MarkedRows final : public CaptureRows {
public:
    std::deque<std::string> lines; // newest first
    std::int64_t trimmed = 0;
    bool marked = false;

    int Count() const override { return static_cast<int>(lines.size()); }
    std::string_view Line(int row) const override { return lines[static_cast<std::size_t>(row)]; }
    std::int64_t Trimmed() const override { return trimmed; }
    bool MarksPending() const override {
        return !marked &&
               std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == '?'; });
    }
    LineMark Mark(int row) const override {
        std::string_view text = Line(row);
        if (text[0] == '?' && !marked)
            return LineMark::Unknown();
        text.remove_prefix(text[0] == '?' ? 1 : 0);
        const std::string_view command = text.substr(1, 2);
        return {text[0] == 'i' ? LineKind::Invalid : LineKind::Valid, command == "10"   ? LineCommand::C10
                                                                      : command == "11" ? LineCommand::C11
                                                                      : command == "20" ? LineCommand::C20
                                                                                        : LineCommand::Other};
    }
};

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
        // Brackets out of their usual order: the byte text follows the first two "]" of the line, and
        // each "[" closes at the first "]" after it.
        QTest::newRow("] before [") << QByteArray("]x[a] [b] 0C") << QByteArrayList{"a", "b", "[b] 0C"};
        QTest::newRow("] between the pairs")
            << QByteArray("[a] c] [b] 0C") << QByteArrayList{"a", "b", "[b] 0C"};
        QTest::newRow("]] after the date") << QByteArray("[a]] [b] 0C") << QByteArrayList{"a", "b", "[b] 0C"};
        QTest::newRow("[ inside the date") << QByteArray("[a [b]] c") << QByteArrayList{"a [b", "", "c"};
        QTest::newRow("] before the first pair")
            << QByteArray("x] [t] [u] 0C") << QByteArrayList{"t", "u", "[u] 0C"};
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

    // The shown lines under arrivals on top, trims at the bottom, filter changes and marks that come
    // late, and the walk from invalid line to invalid line among them.
    void filter_data() {
        QTest::addColumn<QStringList>("lines"); // top first
        QTest::addColumn<QStringList>("steps"); // "=text|show", "+line" arrives, "-" trims, "!" marks come
        QTest::addColumn<QStringList>("shown"); // top first
        QTest::addColumn<QStringList>("invalid");
        const QStringList three{"i10 ff 01", "v11 00", "v10 FF 01 x", "v20 00"};
        QTest::newRow("no filter") << three << QStringList{} << three << QStringList{"i10 ff 01"};
        QTest::newRow("text in any case")
            << three << QStringList{"=fF 01|0"} << QStringList{"i10 ff 01", "v10 FF 01 x"}
            << QStringList{"i10 ff 01"};
        QTest::newRow("invalid only")
            << three << QStringList{"=|1"} << QStringList{"i10 ff 01"} << QStringList{"i10 ff 01"};
        QTest::newRow("0x11") << three << QStringList{"=|3"} << QStringList{"v11 00"} << QStringList{};
        QTest::newRow("text and 0x10") << three << QStringList{"=01|2"}
                                       << QStringList{"i10 ff 01", "v10 FF 01 x"} << QStringList{"i10 ff 01"};
        QTest::newRow("other command")
            << QStringList{"v30", "i10"} << QStringList{"=|5"} << QStringList{"v30"} << QStringList{};
        QTest::newRow("nothing") << three << QStringList{"=no such text|0"} << QStringList{} << QStringList{};
        QTest::newRow("filter off again")
            << three << QStringList{"=ff|1", "=|0"} << three << QStringList{"i10 ff 01"};
        QTest::newRow("arrivals under a filter")
            << QStringList{"v11", "i10 ff a"} << QStringList{"=ff|0", "+v11 x", "+i20 ff b", "+v10 ff c"}
            << QStringList{"v10 ff c", "i20 ff b", "i10 ff a"} << QStringList{"i20 ff b", "i10 ff a"};
        QTest::newRow("trims reach the shown lines") << QStringList{"v11 a", "i10 ff b", "v11 c", "i10 ff d"}
                                                     << QStringList{"=ff|0", "-", "+i10 ff e", "-", "-"}
                                                     << QStringList{"i10 ff e"} << QStringList{"i10 ff e"};
        QTest::newRow("trims without a filter")
            << three << QStringList{"-", "+i11", "-"} << QStringList{"i11", "i10 ff 01", "v11 00"}
            << QStringList{"i11", "i10 ff 01"};
        QTest::newRow("marks come late")
            << QStringList{"?i10 a", "v10 b", "?v11 c"} << QStringList{"=|1", "+i11 d", "!"}
            << QStringList{"i11 d", "?i10 a"} << QStringList{"i11 d", "?i10 a"};
        QTest::newRow("text waits for no mark") << QStringList{"?i10 a", "v10 a"} << QStringList{"=a|0"}
                                                << QStringList{"?i10 a", "v10 a"} << QStringList{};
    }
    void filter() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, steps);
        MarkedRows rows;
        for (const QString& line : lines)
            rows.lines.push_back(line.toStdString());
        CaptureFilter filter(rows);
        filter.Rebuild();
        for (const QString& step : steps) {
            if (step.startsWith('=')) {
                const QStringList parts = step.mid(1).split('|');
                filter.Set(parts[0].toStdString(), static_cast<CaptureFilter::Show>(parts[1].toInt()));
            } else if (step.startsWith('+')) {
                rows.lines.push_front(step.mid(1).toStdString());
                filter.Arrived(0, 0);
            } else if (step == "-") {
                rows.lines.pop_back();
                ++rows.trimmed;
                filter.Trimmed();
            } else {
                rows.marked = true;
                QVERIFY(filter.CatchUpWithMarks());
            }
        }
        QStringList shown;
        for (int viewRow = 0; viewRow < filter.ShownCount(); ++viewRow) {
            QCOMPARE(filter.ViewRow(filter.Row(viewRow)), viewRow);
            shown << QString::fromStdString(std::string(rows.Line(filter.Row(viewRow))));
        }
        QTEST(shown, "shown");
        int hidden = 0;
        for (int row = 0; row < rows.Count(); ++row)
            hidden += filter.ViewRow(row) < 0 ? 1 : 0;
        QCOMPARE(hidden, rows.Count() - filter.ShownCount());
        // F8 down from nothing selected to the last invalid line, then Shift+F8 back up.
        QStringList down, up;
        for (int row = filter.NextInvalid(-1, 1); row >= 0; row = filter.NextInvalid(row, 1))
            down << QString::fromStdString(std::string(rows.Line(row)));
        for (int row = filter.NextInvalid(-1, -1); row >= 0; row = filter.NextInvalid(row, -1))
            up.prepend(QString::fromStdString(std::string(rows.Line(row))));
        QTEST(down, "invalid");
        QCOMPARE(up, down);
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
