// link/: the local clock, capture files on disk and the journals, on real files.
#include "capture/CaptureLine.h"
#include "capture/InputLimits.h"
#include "link/CaptureFileIO.h"
#include "link/Journal.h"
#include "link/LocalClock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"

#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr std::string_view kFormat = "[yyyy/mm/dd] [hh:mm:ss]";

using namespace test_files;

// Lines of every length from empty to well over a read block, so the backwards reading meets a line
// across every kind of block boundary.
QByteArrayList JournalLines() {
    QByteArrayList lines;
    for (int i = 0; i < 3000; ++i)
        lines << "[d] [t] " + QByteArray(i * 37 % 1500, char('A' + i % 26));
    lines << QByteArray() << QByteArray(3 << 20, 'L') << "last";
    return lines;
}

void TextRow(const char* tag, const char* text, const char* expected) {
    QTest::newRow(tag) << QString(text) << QString(expected);
}

} // namespace

class tst_link : public QObject {
    Q_OBJECT

private slots:
    void zoneLeavesTheTimeFormat_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("without");
        TextRow("24 hours", "HH:mm:ss t", "HH:mm:ss");
        TextRow("12 hours", "h:mm:ss AP t", "h:mm:ss AP");
        TextRow("zone first, long zone", "tttt HH:mm:ss", "HH:mm:ss");
        TextRow("quoted t stays", "HH:mm:ss 'at' t", "HH:mm:ss 'at'");
    }
    void zoneLeavesTheTimeFormat() {
        QFETCH(QString, format);
        QTEST(WithoutZone(format), "without");
    }

    // The prefix is made once a second and reused: the same text within a second, the next second's after.
    void prefixOncePerSecond() {
        LocalClock clock;
        const std::string first = clock.Prefix();
        QVERIFY(QRegularExpression(R"(^\[[^\]]+\] \[[^\]t]+\]$)")
                    .match(QString::fromStdString(first))
                    .hasMatch());
        const std::time_t second = std::time(nullptr);
        QVERIFY(QTest::qWaitFor([&] { return std::time(nullptr) != second; }, 3000));
        const std::string next = clock.Prefix();
        QVERIFY(next != first);
        QCOMPARE(&clock.Prefix(), &clock.Prefix());
        QCOMPARE(clock.Prefix(), next);
    }

    // A journal opened after a crash ends at its last whole line; the capture file made from it holds
    // the lines newest first, whatever their length, and only those up to the size given.
    void journalToCaptureFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt.journal");
        const QByteArrayList lines = JournalLines();
        QVERIFY(WriteFile(path, lines.join('\n') + "\ncut short"));
        Journal journal;
        QVERIFY(journal.Open(path, nullptr));
        QCOMPARE(journal.Lines(), std::uint64_t(lines.size()));
        QCOMPARE(journal.DroppedBytes(), std::uint64_t(9)); // "cut short"
        QVERIFY(ReadAll(path).endsWith("\nlast\n"));
        journal.Append("appended");
        QVERIFY(journal.Flush(true, nullptr));
        QCOMPARE(journal.Lines(), std::uint64_t(lines.size() + 1));

        const QString out = dir.filePath("capture.txt");
        QVERIFY(WriteCaptureFileFromJournal(path, journal.Size(), out, kFormat, nullptr));
        QByteArrayList expected = lines;
        expected << "appended";
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(ReadAll(out), QByteArray(kFormat.data()) + "\r\n" + expected.join("\r\n") + "\r\n");
        const std::optional<CaptureLines> read = ReadJournal(path);
        QVERIFY(read);
        QCOMPARE(read->size(), std::size_t(expected.size()));
        QCOMPARE(QByteArray::fromStdString(std::string(read->front())), QByteArray("appended"));

        // Only the first two lines: the size a rewrite started with, while later lines came in.
        const std::uint64_t two = std::uint64_t(lines[0].size() + lines[1].size() + 2);
        QVERIFY(WriteCaptureFileFromJournal(path, two, out, kFormat, nullptr));
        QCOMPARE(ReadAll(out), QByteArray(kFormat.data()) + "\r\n" + lines[1] + "\r\n" + lines[0] + "\r\n");
        QVERIFY(WriteCaptureFileFromJournal(path, 0, out, kFormat, nullptr));
        QCOMPARE(ReadAll(out), QByteArray(kFormat.data()) + "\r\n");

        journal.Remove();
        QVERIFY(!QFile::exists(path));
        QString why;
        QVERIFY(!WriteCaptureFileFromJournal(path, 10, out, kFormat, &why));
        QCOMPARE(why, QStringLiteral("No such file or directory"));
        QCOMPARE(ReadAll(out), QByteArray(kFormat.data()) + "\r\n"); // left as it was
    }

    void unusablePath_data() {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QString>("reason");
        TextRow("folder", "folder", "folder is a folder, not a file.");
        TextRow("inside a missing folder", "missing/capture.txt", "");
        TextRow("named pipe", "fifo", "fifo is a named pipe (FIFO), not a regular file");
        TextRow("device node", "null", "null is a character device, not a regular file");
        TextRow("socket", "socket", "socket is a socket, not a regular file");
    }
    // Neither Save nor Load acts on anything but a regular file: a save would put a file in place of a
    // named pipe or a device, a load would wait on a pipe for ever.
    void unusablePath() {
        QFETCH(QString, relativePath);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString path = dir.filePath(relativePath);
        const QByteArray local = QFile::encodeName(path);
        if (relativePath == "fifo")
            QCOMPARE(::mkfifo(local.constData(), 0644), 0);
        if (relativePath == "null" && ::mknod(local.constData(), S_IFCHR | 0644, makedev(1, 3)) != 0)
            QSKIP("mknod refused (it needs root)");
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto closeListener = qScopeGuard([&] { ::close(listener); });
        if (relativePath == "socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, local.constData(), sizeof address.sun_path - 1);
            QCOMPARE(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        }
        struct stat before {};
        ::stat(local.constData(), &before);
        const QStringList entries = Entries(dir.path());

        const LoadedCaptureFile loaded = LoadCaptureFile(path);
        QVERIFY(!loaded.readOk);
        QString why;
        QVERIFY(!SaveCaptureFile(path, kFormat, CaptureLines{"x"}, &why));
        QVERIFY2(why.contains(reason) && loaded.reason.contains(reason),
                 qPrintable(why + " / " + loaded.reason));
        QCOMPARE(Entries(dir.path()), entries);
        QVERIFY(Entries(dir.filePath("folder")).isEmpty());
        struct stat after {};
        ::stat(local.constData(), &after);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
    }

    void loadRefusesWhatNoCaptureFileHolds_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QByteArray mark = "[mm/dd/yyyy] [hh:mm:ss]";
        const QByteArray tooLong(kLongestInputLine + 1, '0');
        QTest::newRow("longest line") << mark + "\r\n" + QByteArray(kLongestInputLine, '0') << "";
        // Every kind of line end counts one line: CR LF, a lone CR, a lone LF.
        QTest::newRow("a line too long") << mark + "\r\na\rb\n\r\n" + tooLong + "\r\n"
                                         << "Line 5 is longer than 4 MB (4194304 bytes); not a capture file.";
        QTest::newRow("UTF-16 little-endian")
            << QByteArray("\xFF\xFE[\0", 4) + mark
            << "Not a capture file: it is UTF-16 text (byte order mark FF FE)";
        QTest::newRow("NUL bytes") << QByteArray("[\0m\0m\0]\0", 8) + mark
                                   << "its first line holds NUL bytes";
    }
    void loadRefusesWhatNoCaptureFileHolds() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        QVERIFY(WriteFile(path, content));
        const LoadedCaptureFile loaded = LoadCaptureFile(path);
        QCOMPARE(loaded.readOk, reason.isEmpty());
        QVERIFY2(loaded.reason.contains(reason), qPrintable(loaded.reason));
    }

    void saveOnFullDiskKeepsOldFile_data() {
        QTest::addColumn<int>("diskKib");
        QTest::addColumn<int>("fillerKib");
        QTest::addColumn<int>("lineCount");
        QTest::newRow("list just larger than the free space") << 64 << 40 << 1500;
        QTest::newRow("first piece fits, a later one does not") << 2048 << 0 << 70000;
    }
    // A real full file system: the one place where a short write is not an error, so the one place
    // the count check is proved.
    void saveOnFullDiskKeepsOldFile() {
        QFETCH(int, diskKib);
        QFETCH(int, fillerKib);
        QFETCH(int, lineCount);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString size = QString("size=%1k").arg(diskKib);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", size, "tmpfs", dir.path()}) != 0)
            QSKIP("mount of a small tmpfs refused (it needs root)");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {dir.path()}); });
        const QString path = dir.filePath("capture.txt");
        const QByteArray old = "[yyyy/mm/dd] [hh:mm:ss]\r\nthe old capture file\r\n";
        QVERIFY(WriteFile(path, old));
        QVERIFY(WriteFile(dir.filePath("filler"), QByteArray(fillerKib << 10, 'f')));
        CaptureLines lines; // of about 40 bytes each in the file
        for (int i = 0; i < lineCount; ++i)
            lines.push_back("[2024/05/17] [14:03:27] 0C 41 00 " + std::to_string(i));
        QVERIFY(FormatCaptureFile(kFormat, lines).size() > std::size_t(diskKib - fillerKib) << 10);
        QVERIFY(!SaveCaptureFile(path, kFormat, lines));
        QCOMPARE(ReadAll(path), old);
        QCOMPARE(Entries(dir.path()), (QStringList{"capture.txt", "filler"}));
    }
};

QTEST_GUILESS_MAIN(tst_link)
#include "tst_link.moc"
