#include "capture/CaptureFile.h"
#include "capture/CaptureFileIO.h"
#include "capture/CaptureLine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using Status = ParsedCaptureFile::Status;

Q_DECLARE_METATYPE(Status)

namespace {

constexpr std::string_view kFormat = "[yyyy/mm/dd] [hh:mm:ss]";

QByteArrayList ToList(const CaptureLines& lines) {
    QByteArrayList list;
    for (const auto& line : lines)
        list.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    return list;
}

CaptureLines FromList(const QByteArrayList& list) {
    CaptureLines lines;
    for (const auto& line : list)
        lines.push_back(line.toStdString());
    return lines;
}

// Capture lines of every byte value, so that a round trip would show any byte that got lost.
CaptureLines ManyLines(int count) {
    CaptureLines lines;
    for (int i = 0; i < count; ++i) {
        std::uint8_t bytes[8];
        for (int k = 0; k < 8; ++k)
            bytes[k] = static_cast<std::uint8_t>(i * 8 + k);
        lines.push_back(MakeCaptureLine("[2024/05/17] [14:03:27]", bytes, 1 + i % 8));
    }
    return lines;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_capture : public QObject {
    Q_OBJECT

private slots:
    void captureLine_data();
    void captureLine();
    void splitCaptureLine_data();
    void splitCaptureLine();
    void formatCaptureFile_data();
    void formatCaptureFile();
    void parseCaptureFile_data();
    void parseCaptureFile();
    void fileRoundTrip_data();
    void fileRoundTrip();
    void saveFailsWithoutTrace_data();
    void saveFailsWithoutTrace();
    void saveOnFullDiskKeepsOldFile_data();
    void saveOnFullDiskKeepsOldFile();
    void loadUnreadable_data();
    void loadUnreadable();
};

void tst_capture::captureLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("shown");
    QByteArray many;
    for (int i = 0; i < 300; ++i)
        many.append(static_cast<char>(i * 7));
    QTest::newRow("no byte") << QByteArray() << 0;
    QTest::newRow("single 0x05") << QByteArray("\x05") << 1;
    QTest::newRow("header") << QByteArray("\x0C\x41\x00\x00", 4) << 4;
    QTest::newRow("255 bytes") << many.left(255) << 255;
    QTest::newRow("256 bytes") << many.left(256) << 256;
    QTest::newRow("300 bytes") << many << 256;
}

void tst_capture::captureLine() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, shown);
    const std::string prefix = MakeCapturePrefix("2024/05/17", "14:03:27");
    QCOMPARE(prefix, "[2024/05/17] [14:03:27]");
    const std::string line =
        MakeCaptureLine(prefix, reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size());
    QByteArray expected = QByteArray::fromStdString(prefix);
    if (shown > 0)
        expected += ' ' + bytes.left(shown).toHex(' ').toUpper();
    QCOMPARE(QByteArray::fromStdString(line), expected);
}

void tst_capture::splitCaptureLine_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QByteArray>("byteText");
    QTest::newRow("capture line") << QByteArray("[17.05.2024] [2:03:27 PM] 0C 41 00 00")
                                  << QByteArray("17.05.2024") << QByteArray("2:03:27 PM")
                                  << QByteArray("0C 41 00 00");
    QTest::newRow("no bytes") << QByteArray("[2024/05/17] [14:03:27]") << QByteArray("2024/05/17")
                              << QByteArray("14:03:27") << QByteArray();
    QTest::newRow("one bracket pair") << QByteArray("[2024/05/17] 0C") << QByteArray("2024/05/17")
                                      << QByteArray() << QByteArray("2024/05/17] 0C");
    QTest::newRow("no brackets") << QByteArray("0C 41") << QByteArray() << QByteArray() << QByteArray("C 41");
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
}

void tst_capture::splitCaptureLine() {
    QFETCH(QByteArray, line);
    const std::string text = line.toStdString();
    const CaptureLineParts parts = SplitCaptureLine(text);
    QTEST(QByteArray(parts.date.data(), parts.date.size()), "date");
    QTEST(QByteArray(parts.time.data(), parts.time.size()), "time");
    QTEST(QByteArray(parts.byteText.data(), parts.byteText.size()), "byteText");
}

void tst_capture::formatCaptureFile_data() {
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArray>("text");
    const QByteArray header = QByteArray(kFormat.data(), kFormat.size()) + "\r\n";
    QTest::newRow("empty list") << QByteArrayList() << header;
    QTest::newRow("two lines") << QByteArrayList{"[d] [t] 0C", "[d] [t] 41"}
                               << header + "[d] [t] 0C\r\n[d] [t] 41\r\n";
    QTest::newRow("empty line") << QByteArrayList{"", "x"} << header + "\r\nx\r\n";
    QTest::newRow("NUL and invalid UTF-8")
        << QByteArrayList{QByteArray("a\0b\xff\xc3(", 6)} << header + QByteArray("a\0b\xff\xc3(\r\n", 8);
}

void tst_capture::formatCaptureFile() {
    QFETCH(QByteArrayList, lines);
    const std::string text = FormatCaptureFile(kFormat, FromList(lines));
    QTEST(QByteArray::fromStdString(text), "text");
    const ParsedCaptureFile parsed = ParseCaptureFile(text);
    QCOMPARE(parsed.status, Status::Ok);
    QCOMPARE(ToList(parsed.lines), lines);
}

void tst_capture::parseCaptureFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QByteArrayList>("lines");
    const QByteArray h = "[dd/mm/yyyy] [hh:mm:ss]";
    QTest::newRow("empty file") << QByteArray() << Status::Empty << QByteArrayList();
    QTest::newRow("header only") << h + "\r\n" << Status::Ok << QByteArrayList();
    QTest::newRow("header without line end") << h << Status::Ok << QByteArrayList();
    QTest::newRow("first line is a capture line") << QByteArray("[17/05/2024] [14:03:27] 0C\r\n" + h + "\r\n")
                                                  << Status::NotCapture << QByteArrayList();
    QTest::newRow("mark in another case")
        << QByteArray("[DD/MM/YYYY] [HH:MM:SS]\r\nx\r\n") << Status::NotCapture << QByteArrayList();
    QTest::newRow("first line empty") << "\r\n" + h + "\r\nx\r\n" << Status::NotCapture << QByteArrayList();
    QTest::newRow("mark inside the first line")
        << QByteArray("any [hh:mm:ss] text\r\nx\r\n") << Status::Ok << QByteArrayList{"x"};
    QTest::newRow("CR only") << h + "\ra\rb\r" << Status::Ok << QByteArrayList{"a", "b"};
    QTest::newRow("LF only") << h + "\na\nb\n" << Status::Ok << QByteArrayList{"a", "b"};
    QTest::newRow("mixed, last line unended")
        << h + "\r\na\rb\nc" << Status::Ok << QByteArrayList{"a", "b", "c"};
    QTest::newRow("LF CR is two ends") << h + "\na\n\rb" << Status::Ok << QByteArrayList{"a", "", "b"};
    QTest::newRow("CR CR LF is two ends") << h + "\ra\r\r\nb" << Status::Ok << QByteArrayList{"a", "", "b"};
    QTest::newRow("empty lines kept") << h + "\r\n\r\na\r\n\r\n" << Status::Ok << QByteArrayList{"", "a", ""};
    QTest::newRow("blanks kept") << h + "\r\n  a \r\n" << Status::Ok << QByteArrayList{"  a "};
    QTest::newRow("NUL and invalid UTF-8") << h + QByteArray("\r\na\0b\r\n\xff\xfe\xc3\r\n", 12) << Status::Ok
                                           << QByteArrayList{QByteArray("a\0b", 3), "\xff\xfe\xc3"};
}

void tst_capture::parseCaptureFile() {
    QFETCH(QByteArray, bytes);
    const ParsedCaptureFile parsed = ParseCaptureFile(std::string_view(bytes.constData(), bytes.size()));
    QTEST(parsed.status, "status");
    QTEST(ToList(parsed.lines), "lines");
}

void tst_capture::fileRoundTrip_data() {
    QTest::addColumn<QByteArrayList>("lines");
    QTest::newRow("empty list") << QByteArrayList();
    QTest::newRow("6000 lines") << ToList(ManyLines(6000));
    QTest::newRow("odd bytes") << QByteArrayList{"", QByteArray("\0\0", 2), "\xff\xfe", " "};
    // A line of several megabytes of every byte value except the line ends.
    QByteArray big(4 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i % 256 == '\r' || i % 256 == '\n' ? 0 : i % 256);
    QTest::newRow("4 MB binary line") << QByteArrayList{big, "x"};
}

void tst_capture::fileRoundTrip() {
    QFETCH(QByteArrayList, lines);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("capture.txt");
    // A longer old file must be replaced whole, not overwritten at the front.
    QVERIFY(WriteFile(path, QByteArray(5 << 20, 'o')));
    const CaptureLines saved = FromList(lines);
    QVERIFY(SaveCaptureFile(path, kFormat, saved));
    QCOMPARE(ReadAll(path), QByteArray::fromStdString(FormatCaptureFile(kFormat, saved)));
    const LoadedCaptureFile loaded = LoadCaptureFile(path);
    QVERIFY(loaded.readOk);
    QCOMPARE(loaded.parsed.status, Status::Ok);
    QVERIFY(loaded.parsed.lines == saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"capture.txt"});
}

void tst_capture::saveFailsWithoutTrace_data() {
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("path is a folder") << "folder";
    QTest::newRow("inside a missing folder") << "missing/capture.txt";
}

void tst_capture::saveFailsWithoutTrace() {
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    QVERIFY(!SaveCaptureFile(dir.filePath(relativePath), kFormat, ManyLines(10)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"folder"});
    QVERIFY(QDir(dir.filePath("folder")).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void tst_capture::saveOnFullDiskKeepsOldFile_data() {
    QTest::addColumn<int>("diskKib");
    QTest::addColumn<int>("fillerKib");
    QTest::addColumn<int>("lineCount");
    QTest::newRow("list far larger than the disk") << 64 << 0 << 20000;
    QTest::newRow("list just larger than the free space") << 64 << 40 << 1500;
    QTest::newRow("disk already full, small list") << 64 << 64 << 3;
    QTest::newRow("first piece fits, a later one does not") << 2048 << 0 << 70000;
}

// A real full file system: the one place where a short write is not an error, so the one place the
// count check is proved.
void tst_capture::saveOnFullDiskKeepsOldFile() {
    QFETCH(int, diskKib);
    QFETCH(int, fillerKib);
    QFETCH(int, lineCount);
    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString mountPoint = dir.path();
    if (QProcess::execute("mount",
                          {"-t", "tmpfs", "-o", QString("size=%1k").arg(diskKib), "tmpfs", mountPoint}) != 0)
        QSKIP("mount of a small tmpfs refused");
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint}); });

    const QString path = QDir(mountPoint).filePath("capture.txt");
    const QByteArray old = QByteArray::fromStdString(FormatCaptureFile(kFormat, ManyLines(5)));
    QVERIFY(WriteFile(path, old));
    // The filler takes fillerKib KiB, or all that is left when there is less.
    QFile filler(QDir(mountPoint).filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(1024, 'f');
    int kib = 0;
    while (kib < fillerKib && filler.write(block) == block.size())
        ++kib;
    filler.close();

    const CaptureLines lines = ManyLines(lineCount);
    QVERIFY(FormatCaptureFile(kFormat, lines).size() > std::size_t(diskKib - fillerKib) * 1024);
    QVERIFY(!SaveCaptureFile(path, kFormat, lines));
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), (QStringList{"capture.txt", "filler"}));
}

void tst_capture::loadUnreadable_data() {
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("missing file") << "missing.txt";
    QTest::newRow("folder") << "folder";
}

void tst_capture::loadUnreadable() {
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    QVERIFY(!LoadCaptureFile(dir.filePath(relativePath)).readOk);
}

QTEST_GUILESS_MAIN(tst_capture)
#include "tst_capture.moc"
