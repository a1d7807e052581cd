// The main window's decode table, detail windows and capture buttons as the operator uses them.
#include "AppTestSupport.h"
#include "app/WindowRecord.h"

#include "common/modCommon.h"
#include "link/CaptureFileIO.h"
#include "link/PacketCapture.h"
#include "report/CommissioningRecord.h"
#include "support/CaptureBuilder.h"
#include "views/frmAccesibleFloors.h"
#include "views/frmDumpList.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>

#include <ctime>

namespace {

const QByteArray kMsg11 = "0441000011000000";
const QByteArray kMsg10BadDoor = "0C41000010303030333031353430FF01"; // door "4", reserve 01
const QByteArray kMsg10 = "0C410000103030313230313531320100"; // gate 0012, floor 015, front, VIP, seq 01
// A full 0x20 message whose floor bytes are all `floor`.
QByteArray Msg20(const char* floor) {
    return "4C4100002030303031" + QByteArray(floor).repeated(64) + "30000000000000";
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Counts the paint events of every widget, and where in its window each one drew.
struct PaintCounter : QObject {
    QMap<QWidget*, int> paints;
    QRegion drawn; // in window coordinates
    PaintCounter() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            ++paints[widget];
            const QRect rect = static_cast<QPaintEvent*>(event)->rect();
            drawn += rect.translated(widget->mapTo(widget->window(), QPoint(0, 0)));
        }
        return false;
    }
};

// Close enough to a colour to be its antialiased glyph rather than the background.
bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 90;
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A packet capture, as bytes, of a link whose system sends one message split in two segments in the
// given second, less its last `cut` bytes.
QByteArray PacketCaptureBytes(const QString& folder, int cut, std::int64_t inSecond = 0) {
    using namespace capture_builder;
    Segment first;
    first.seq = 100;
    first.payload = {0x04, 0x41, 0x00};
    first.timeNs = inSecond * 1'000'000'000;
    Segment second = first;
    second.seq = 103;
    second.payload = {0x00, 0x11, 0x00, 0x00, 0x00};
    const std::string path = QDir(folder).filePath("made.pcap").toStdString();
    if (!WritePcap(path, DLT_EN10MB, {first, second}))
        return {};
    const QByteArray bytes = ReadAll(QString::fromStdString(path));
    return bytes.left(bytes.size() - cut);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmMain> window;
    FakePrompts prompts;
    QTemporaryDir dir;

    QPushButton* Button(const char* name) { return FindButton(*window, QString::fromLatin1(name)); }
    QLabel* Cell(const char* name) { return FindLabel(*window, QString::fromLatin1(name)); }
    QScrollBar* FloorsScroll() { return Find<QScrollBar>(*window->FloorsWindow(), "VScroll1"); }
    QString FloorsRow0() { return FindLabel(*window->FloorsWindow(), "lblIndex_0")->text(); }
    QString FloorCell(int i) {
        return FindLabel(*window->FloorsWindow(), QStringLiteral("lblAccesibleFloor_%1").arg(i))->text();
    }
    QStringList Lines() { return CaptureTexts(*window); }
    QString Message() { return Cell("lblMessage")->text(); }
    // The whole summary; the label itself may give way in the middle.
    QString Summary() { return Cell("lblSummary")->toolTip(); }
    QString DumpCell(int r, int c) {
        auto* grid = Find<QTableWidget>(*window->DumpWindow(), "MSFlexGrid1");
        return grid->item(r, c)->text();
    }
    QString ShownLine(QWidget* detail) { return FindLabel(*detail, "lblLine")->text(); }
    // The value cells hold what a plain selection of the row draws.
    bool ShowsThePlainSelectionOf(int row) {
        DecodeTable plain;
        DecodeLine(plain, window->CaptureList().Line(row));
        return window->Table().lblHeader == plain.lblHeader && window->Table().lblData == plain.lblData;
    }
    void Record(std::initializer_list<QByteArray> hexes) {
        for (const QByteArray& hex : hexes)
            RecordHex(*window, hex);
    }
    void Fill(int count) {
        for (int i = 0; i < count; ++i)
            RecordHex(*window, QByteArray::number(i % 256, 16).rightJustified(2, '0'));
    }

private slots:
    void initTestCase() { UseTestSettings(); }
    void init() {
        prompts = FakePrompts();
        window = OpenWindow(prompts);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    // The files' date order, and a selection as drawn: its values, its red cells, its command's layout,
    // the summary whole in the label, its tooltip and description, and a cell's note as its tooltip. The
    // empty table and the words are the decoder's (tst_decode: initDetailView, words).
    void selectingALineDrawsItsTable() {
        const QString format = window->FormatText();
        QVERIFY2(
            QStringList({"[mm/dd/yyyy] [hh:mm:ss]", "[dd/mm/yyyy] [hh:mm:ss]", "[yyyy/mm/dd] [hh:mm:ss]"})
                .contains(format),
            qPrintable(format));
        QCOMPARE(Cell("lblFormat")->text(), format);
        QVERIFY(!Button("btnDetailFloors")->isVisible());

        Record({kMsg10BadDoor});
        ClickRow(*window, 0);
        QCOMPARE(Cell("lblHeader_0")->text(), QStringLiteral("0C"));
        QCOMPARE(Cell("lblData_4")->text(), QStringLiteral("33"));
        QCOMPARE(DrawnColour(Cell("lblData_4")), QApplication::palette().color(QPalette::Button));
        QCOMPARE(DrawnColour(Cell("lblData_8")), QColor(255, 0, 0));  // door "4"
        QCOMPARE(DrawnColour(Cell("lblData_11")), QColor(255, 0, 0)); // reserve 01
        QCOMPARE(Summary(),
                 QString::fromUtf8(
                     "0x10: gate 0003, floor 015, door 4, general, seq 0xFF \u2014 2 invalid, 0 missing"));
        QCOMPARE(Cell("lblSummary")->text(), Summary()); // it fits whole
        QCOMPARE(Cell("lblSummary")->accessibleDescription(), Summary());
        QCOMPARE(Cell("lblData_8")->toolTip(), QStringLiteral("door 4: must be 1, 2 or 3"));
        QVERIFY(Cell("lblDoorOpen")->isVisible());
        QVERIFY(!Cell("lblData_12")->isVisible());
        QVERIFY(!Button("btnDetailFloors")->isVisible());

        Record({Msg20("00")});
        ClickRow(*window, 0);
        QCOMPARE(Cell("lblDestFloor")->text(), QStringLiteral("Accesible Floors"));
        QVERIFY(!Cell("lblDoorOpen")->isVisible());
        QVERIFY(Cell("lblData_15")->isVisible());
        QVERIFY(!Cell("lblData_5")->isVisible());
        QVERIFY(Button("btnDetailFloors")->isVisible());
        const int destFloorTop = Cell("lblDestFloor")->y(); // centred on the band of rows 3 and 4
        QCOMPARE(Cell("lblDataTypeD_2")->y(), destFloorTop);

        ClickRow(*window, 1); // back to the 0x10 line
        QVERIFY(Cell("lblDoorOpen")->isVisible());
        QCOMPARE(Cell("lblDestFloor")->text(), QStringLiteral("Dest floor"));
        QVERIFY(Cell("lblDestFloor")->y() < destFloorTop);
        QVERIFY(!Button("btnDetailFloors")->isVisible());
    }

    // One read with three messages: the first step is the plain selection, each step after it decodes
    // one message alone, and both detail windows follow.
    void stepsThroughThreeMessages() {
        RecordHex(*window, kMsg10BadDoor + Msg20("01") + kMsg11);
        ClickRow(*window, 0);
        QCOMPARE(Message(), QStringLiteral("message 1 of 3"));
        QVERIFY(ShowsThePlainSelectionOf(0));
        QVERIFY(!Button("btnPrevMessage")->isEnabled());
        QVERIFY(Button("btnNextMessage")->isEnabled());
        QVERIFY(!window->FloorsWindow());               // a 0x10 first: nothing for the floors window
        QCOMPARE(DumpCell(7, 1), QStringLiteral("04")); // byte 97, the 0x11's first, of the whole line
        QVERIFY(ShownLine(window->DumpWindow()).endsWith(QStringLiteral(", gate 0003")));

        Button("btnNextMessage")->click();
        QCOMPARE(Message(), QStringLiteral("message 2 of 3"));
        QVERIFY(
            Summary().startsWith(QStringLiteral("0x20: gate 0001, 64 floors accessible (1 front, 5 front,")));
        // Too long for the label: the middle gives way, the counts stay in view.
        const QString shown = Cell("lblSummary")->text();
        QVERIFY2(shown.startsWith(QStringLiteral("0x20: gate 0001")) && shown.contains(QChar(0x2026)) &&
                     shown.endsWith(QStringLiteral("all fields valid")),
                 qPrintable(shown));
        QVERIFY(Button("btnDetailFloors")->isVisible());
        QVERIFY(window->FloorsWindow() && !window->FloorsWindow()->isVisible());
        QCOMPARE(window->FloorsWindow()->floorData().FloorCount, 64);
        QCOMPARE(FloorCell(0), QStringLiteral("01"));
        QVERIFY(ShownLine(window->FloorsWindow()).endsWith(QStringLiteral(", gate 0001, message 2 of 3")));
        QCOMPARE(DumpCell(1, 1), QStringLiteral("4C"));
        QCOMPARE(DumpCell(6, 1), QString());
        QVERIFY(ShownLine(window->DumpWindow()).endsWith(QStringLiteral(", gate 0001, message 2 of 3")));
        Button("btnDetailFloors")->click();
        QVERIFY(window->FloorsWindow()->isVisible());
        Button("btnNextMessage")->click();
        QCOMPARE(Message(), QStringLiteral("message 3 of 3"));
        QCOMPARE(window->Table().lblData[0].caption, std::string("11"));
        QVERIFY(!Button("btnNextMessage")->isEnabled());
        QCOMPARE(DumpCell(1, 8), QStringLiteral("00"));
        QCOMPARE(DumpCell(1, 9), QString());

        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(Message(), QStringLiteral("message 2 of 3"));
        Button("btnPrevMessage")->click();
        QCOMPARE(Message(), QStringLiteral("message 1 of 3"));
        QVERIFY(ShowsThePlainSelectionOf(0));
        QCOMPARE(DumpCell(7, 1), QStringLiteral("04"));
    }

    // A message that TCP split over two reads: the older line ends in its first part, the newer one
    // starts with the rest.
    void aMessageSplitOverTwoLines() {
        RecordHex(*window, kMsg11 + kMsg10.left(18)); // row 1: a 0x11 and 9 bytes of a 0x10
        RecordHex(*window, kMsg10.mid(18) + kMsg11);  // row 0: the 7 bytes left, a 0x11
        ClickRow(*window, 1);
        QCOMPARE(Message(), QStringLiteral("message 1 of 2"));
        Button("btnNextMessage")->click();
        QCOMPARE(Message(), QStringLiteral("message 2 of 2, 7 bytes missing"));
        Button("btnNextMessage")->click();
        QCOMPARE(Message(), QStringLiteral("message 2 of 2, joined with the next line"));
        QVERIFY(Summary().endsWith(QStringLiteral("all fields valid"))); // decoded whole
        QVERIFY(!Button("btnNextMessage")->isEnabled());
        QCOMPARE(DumpCell(1, 16), QStringLiteral("00"));
        QVERIFY(ShownLine(window->DumpWindow()).endsWith(QStringLiteral("joined with the next line")));

        ClickRow(*window, 0);
        QCOMPARE(Message(), QStringLiteral("starts with the last 7 bytes of a message from the line below"));
        QVERIFY(ShowsThePlainSelectionOf(0)); // the bogus header stays as it was, explained
        Button("btnNextMessage")->click();
        QCOMPARE(Message(), QStringLiteral("the message from the line below, joined with this line"));
        QVERIFY(Summary().startsWith(QStringLiteral("0x10: gate 0012")));
    }

    // F5 starts and Shift+F5 stops as the buttons do (a disabled button takes no key).
    void stopStaysUsableAfterClearOrLoadWhileListening() {
        QTest::keyClick(window.get(), Qt::Key_F5);
        QCOMPARE(window->ConnectState(), 1);
        RecordHex(*window, kMsg11);
        Button("btnClearCapture")->click();
        QCOMPARE(window->CaptureList().Count(), 0);
        QVERIFY(!Button("btnAction_0")->isEnabled());
        QVERIFY(Button("btnAction_1")->isEnabled());
        prompts.fileName.clear(); // a cancelled Load resets the table too
        Button("btnLoadCapture")->click();
        QVERIFY(Button("btnAction_1")->isEnabled());
        QTest::keyClick(window.get(), Qt::Key_F5, Qt::ShiftModifier);
        QCOMPARE(window->ConnectState(), 0);
        QVERIFY(Button("btnAction_0")->isEnabled());
    }

    // Selection hands a full 0x20 line to the floors window, Details shows it; the page stays under
    // arrivals and other lines, goes back to one for another full 0x20 line and stays for a short one,
    // which only Details hands over.
    void detailsAndTheFloorsPage() {
        Record({Msg20("01")});
        ClickRow(*window, 0);
        QVERIFY(window->FloorsWindow() && !window->FloorsWindow()->isVisible()); // handed over, not shown
        Button("btnDetailFloors")->click();
        QVERIFY(window->FloorsWindow()->isVisible());
        QCOMPARE(FloorsScroll()->value(), 0);
        QCOMPARE(FloorCell(0), QStringLiteral("01"));
        FloorsScroll()->setValue(9);
        Record({kMsg11}); // an arrival leaves the page
        QCOMPARE(FloorsScroll()->value(), 9);
        ClickRow(*window, 0); // so does a line that is not 0x20
        QCOMPARE(FloorsScroll()->value(), 9);
        QCOMPARE(FloorCell(0), QStringLiteral("01"));

        Record({Msg20("C3"), "4C410000203030303101"});
        ClickRow(*window, 1);
        QCOMPARE(FloorsScroll()->value(), 0);
        QCOMPARE(FloorsRow0(), QStringLiteral("01"));
        QCOMPARE(FloorCell(0), QStringLiteral("11"));
        QCOMPARE(FloorCell(1), QStringLiteral("00"));
        FloorsScroll()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        ClickRow(*window, 0); // one floor byte: not handed over by the selection itself
        QCOMPARE(FloorCell(0), QStringLiteral("11"));
        Button("btnDetailFloors")->click();
        QCOMPARE(FloorsScroll()->value(), 1);
        QCOMPARE(FloorsRow0(), QStringLiteral("02"));
        QCOMPARE(FloorCell(0), QString()); // byte 2 is missing from the short line
        FloorsScroll()->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(FloorCell(0), QStringLiteral("01"));
    }

    void saveThenLoadGivesTheSameLines() {
        Record({kMsg11, Msg20("00"), "05"});
        const QStringList before = Lines();
        prompts.fileName = dir.filePath("capture.txt");
        Button("btnSaveCapture")->click();
        QVERIFY(prompts.warned.isEmpty());
        // The file's shape is tst_link's; the window gives it its date order and its lines.
        QVERIFY(ReadAll(prompts.fileName).startsWith(window->FormatText().toLatin1() + "\r\n"));

        Button("btnClearCapture")->click();
        RecordHex(*window, "FF");
        Button("btnLoadCapture")->click();
        QCOMPARE(Lines(), before);
        QCOMPARE(prompts.offered.last(), prompts.fileName); // the last name is offered again
    }

    // Ctrl+S and Ctrl+O open the dialogs; cancelled, nothing is written and nothing loaded.
    void cancelledDialogs() {
        Record({kMsg10BadDoor});
        ClickRow(*window, 0);
        prompts.fileName.clear();
        QTemporaryDir empty;
        QDir::setCurrent(empty.path());
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QDir(empty.path()).isEmpty());
        QCOMPARE(window->Table().lblData[0].caption, std::string("10"));
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier); // the list stays, the table is reset
        QCOMPARE(prompts.saveDialogs, (QList<bool>{true, false}));     // Save's dialog, then Load's
        QCOMPARE(window->CaptureList().Count(), 1);
        QVERIFY(window->Table().lblData[0].caption.empty() && !window->Table().lblData[8].red);
        QCOMPARE(Summary(), QString());
        QCOMPARE(Cell("lblData_8")->toolTip(), QString());
        QVERIFY(prompts.warned.isEmpty());
    }

    // A refused file leaves the list and the table and says why; an empty one loads nothing and resets.
    void loadFailuresLeaveListAndTable_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<QString>("details"); // %1 the path; the reason starts with it
        QTest::newRow("no header line") << QByteArray("[11/22/2012] [10:15:30] 05\r\n") << true
                                        << "Not a capture file: its first line has no [hh:mm:ss].";
        QTest::newRow("no such file") << QByteArray() << true << "There is no file %1.";
        QTest::newRow("zero bytes") << QByteArray() << false << "";
        QTemporaryDir folder;
        QTest::newRow("packet capture cut short") << PacketCaptureBytes(folder.path(), 3) << true << "";
    }
    void loadFailuresLeaveListAndTable() {
        QFETCH(QByteArray, content);
        QFETCH(bool, warned);
        QFETCH(QString, details);
        Record({kMsg11});
        ClickRow(*window, 0);
        const QStringList before = Lines();
        prompts.fileName = dir.filePath(QTest::currentDataTag());
        if (QByteArray(QTest::currentDataTag()) != "no such file")
            WriteAll(prompts.fileName, content);
        Button("btnLoadCapture")->click();
        QCOMPARE(prompts.warned, warned ? QStringList{"Unable to load the file."} : QStringList{});
        QCOMPARE(prompts.details.size(), warned ? 1 : 0);
        if (warned) {
            QVERIFY(!prompts.details.first().isEmpty());
            QVERIFY2(prompts.details.first().startsWith(QString(details).replace("%1", prompts.fileName)),
                     qPrintable(prompts.details.first()));
        }
        QCOMPARE(Lines(), before);
        QCOMPARE(window->Table().lblData[0].caption.empty(), !warned);
    }

    // A packet capture's reads become lines newest first, dated as a live arrival in that second shows
    // them. How reads are cut into lines and ordered is tst_capture's (packetCaptureLines), how segments
    // are put together and which links are read is tst_packetcapture's.
    void loadPacketCapture() {
        std::int64_t second = 0;
        // A live line and the packets in the same second, read from the clock the window reads (time(),
        // which can lag the precise clock by a few milliseconds at a second's turn).
        do {
            Button("btnClearCapture")->click();
            second = std::time(nullptr);
            RecordHex(*window, kMsg11);
        } while (std::time(nullptr) != second);
        const QString prefix = Lines().first().chopped(QStringLiteral(" 04 41 00 00 11 00 00 00").size());
        prompts.fileName = dir.filePath("site.pcap");
        WriteAll(prompts.fileName, PacketCaptureBytes(dir.path(), 0, second));
        Button("btnLoadCapture")->click();
        QVERIFY(prompts.warned.isEmpty());
        QCOMPARE(Lines(), (QStringList{prefix + " 00 11 00 00 00", prefix + " 04 41 00"}));
    }

    // A peer can send thousands of reads a second; the screen shows about sixty frames.
    void arrivalsRepaintOnlyTheListAtTheScreensPace() {
        Fill(10);
        CaptureListView* list = CaptureView(*window);
        QTRY_COMPARE(list->verticalScrollBar()->maximum(), 10 - list->verticalScrollBar()->pageStep());
        QTRY_VERIFY(list->verticalScrollBar()->isVisible());
        window->repaint(); // what Fill asked for is drawn now, before the count starts
        PaintCounter counter;
        QElapsedTimer clock;
        clock.start();
        int arrivals = 0;
        while (clock.elapsed() < 300) {
            RecordHex(*window, kMsg11);
            if (++arrivals % 10 == 0)
                QApplication::processEvents();
        }
        const qint64 elapsedMs = clock.elapsed();
        // The scroll bars catch up with the last arrivals at the next tick.
        QTRY_COMPARE(list->verticalScrollBar()->maximum(),
                     std::min(10 + arrivals, 5000) - list->verticalScrollBar()->pageStep());
        QTRY_VERIFY(counter.paints.value(list->viewport()) > 0);
        QLabel* counters = Cell("lblCounters");
        QTRY_VERIFY(
            counters->text().startsWith(QStringLiteral("%1 lines").arg(std::min(10 + arrivals, 5000))));
        for (QWidget* widget : {list->viewport(), static_cast<QWidget*>(counters)}) {
            const int paints = counter.paints.value(widget);
            const QString why = QStringLiteral("%1 repaints in %2 ms").arg(paints).arg(elapsedMs);
            QVERIFY2(paints <= elapsedMs / 16 + 3, qPrintable(widget->objectName() + ": " + why));
        }
        // Nothing but the list and the counters line is drawn again (a scroll bar shows its parent's
        // background through, and Qt may draw the gap between the two with them).
        const QRect listRect(list->mapTo(window.get(), QPoint(0, 0)), list->size());
        const QRect countersRect(counters->mapTo(window.get(), QPoint(0, 0)), counters->size());
        QVERIFY(!counter.drawn.isEmpty());
        QCOMPARE(counter.drawn.subtracted(listRect.united(countersRect)), QRegion());
    }

    // Every line's mark, drawn in the gutter with a symbol and a tooltip, and the counts under the list.
    void marksAndCountersFollowTheList() {
        // Which kind each line is, is the marker's (tst_decode::lineMarks); each row's own mark is
        // checked where F8 and the screen reader find them.
        Record(
            {kMsg11, kMsg10BadDoor, "0C4100001030", kMsg11 + kMsg11, "", "0C410000103030303330313531300000"});
        CaptureListView* list = CaptureView(*window);
        QTRY_COMPARE(Cell("lblCounters")->text(),
                     QStringLiteral("6 lines, 1 invalid; 0x10: 3, 0x11: 2, 0x20: 0, other: 1"));
        QSet<QString> symbols;
        for (int row = 0; row < 6; ++row) {
            list->ScrollTo(row);
            const QImage drawn = list->viewport()->grab().toImage();
            const LineMark mark = window->CaptureList().Mark(row);
            symbols << CaptureListView::MarkSymbol(mark);
            // The gutter holds the mark's colour on that row.
            bool coloured = false;
            const QRect rect = list->RowRect(row);
            for (int x = 0; x < list->GutterWidth() && !coloured; ++x)
                for (int y = rect.top(); y <= rect.bottom() && !coloured; ++y)
                    coloured = Near(drawn.pixelColor(x, y), CaptureListView::MarkColour(mark));
            QVERIFY2(coloured, qPrintable(QString::number(row)));
            // Its tooltip says what the mark means.
            const QPoint at(list->GutterWidth() / 2, rect.center().y());
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &help);
            const std::string_view meaning = LineKindText(mark.Kind());
            QCOMPARE(QToolTip::text(), QString::fromLatin1(meaning.data(), meaning.size()));
        }
        QCOMPARE(symbols.size(), 5); // a symbol of its own for each kind, never the colour alone
        // The lines stand in columns: every character a capture line is made of has the same advance.
        // (Qt's fixedPitch says no for some monospaced faces, so the advances are what is asked.)
        const QFontMetrics metrics(list->font());
        for (const QChar c : QStringLiteral("0123456789ABCDEF []/:.-"))
            QCOMPARE(metrics.horizontalAdvance(c), metrics.horizontalAdvance(u'0'));

        // A trim takes its line's counts away.
        for (int i = 0; i < 4995; ++i) // the last one trims the oldest line
            RecordHex(*window, kMsg11);
        QTRY_COMPARE(Cell("lblCounters")->text(),
                     QStringLiteral("5000 lines, 1 invalid; 0x10: 3, 0x11: 4996, 0x20: 0, other: 1"));
        window->RecordArrival("\x00", 0);
        QTRY_COMPARE(Cell("lblCounters")->text(),
                     QStringLiteral("5000 lines, 0 invalid; 0x10: 2, 0x11: 4996, 0x20: 0, other: 2"));
    }

    // A loaded file is shown at once, not cut to the live list's 5000, and marked between events; F8
    // then finds its invalid lines. An arrival then drops its oldest line.
    void loadedLinesAreMarkedAfterwards() {
        CaptureLines lines;
        for (int i = 0; i < 200000; ++i)
            lines.push_back("[11/22/2012] [10:15:30] " +
                            (i % 1000 == 999 ? std::string("0C 41 00 00 10 30 30 30 30 30 30 31 31 30 00 00")
                                             : std::string("04 41 00 00 11 00 00 00")));
        prompts.fileName = dir.filePath("marks.txt");
        QVERIFY(SaveCaptureFile(prompts.fileName, "[mm/dd/yyyy] [hh:mm:ss]", lines));
        Button("btnLoadCapture")->click();
        QCOMPARE(window->CaptureList().Count(), 200000);
        QVERIFY(window->CaptureList().MarkCounts().unknown > 0);
        QTRY_COMPARE(window->CaptureList().MarkCounts().unknown, 0);
        QTRY_COMPARE(Cell("lblCounters")->text(),
                     QStringLiteral("200000 lines, 200 invalid; 0x10: 200, 0x11: 199800, 0x20: 0, other: 0"));
        QTest::keyClick(window.get(), Qt::Key_F8);
        QCOMPARE(CaptureView(*window)->SelectedRow(), 999);
        QVERIFY(window->Table().lblData[1].red); // the table decoded it: gate "0000"
        RecordHex(*window, "05");
        QCOMPARE(window->CaptureList().Count(), 200000);
        QCOMPARE(window->CaptureList().Lines().back(), lines[199998]);
    }

    void f8StepsThroughTheInvalidLines() {
        Record({kMsg10BadDoor, kMsg11, kMsg10BadDoor, kMsg11});
        CaptureListView* list = CaptureView(*window);
        for (const int row : {1, 3, 3}) {
            QTest::keyClick(window.get(), Qt::Key_F8);
            QCOMPARE(list->SelectedRow(), row);
        }
        QCOMPARE(window->Table().lblData[0].caption, std::string("10"));
        QTest::keyClick(window.get(), Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(list->SelectedRow(), 1);
        RecordHex(*window, kMsg10BadDoor); // an arrival selects nothing and moves nothing
        QCOMPARE(list->SelectedRow(), 2);
        QTest::keyClick(window.get(), Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(list->SelectedRow(), 0);
    }

    // The window opens at its design size, which is its minimum; grown, the list takes the room and
    // what lies right of or below it moves along; shrunk again, everything is back where it was.
    void theWindowGrowsAroundTheList() {
        QCOMPARE(window->size(), window->minimumSize());
        Record({Msg20("C3"), kMsg10BadDoor});
        ClickRow(*window, 1);
        QHash<QWidget*, QRect> design;
        // Named controls only: the scroll area's own parts follow its contents.
        for (QWidget* widget : window->findChildren<QWidget*>())
            if (!widget->isWindow() && !widget->objectName().isEmpty() &&
                !widget->objectName().startsWith("qt_"))
                design[widget] = widget->geometry();
        CaptureListView* list = CaptureView(*window);
        const QRect listAt = list->geometry();
        const QRect cellAt = Cell("lblData_1")->geometry();
        const QRect buttonAt = Button("btnSaveCapture")->geometry();

        window->resize(window->size() + QSize(300, 200));
        QCOMPARE(list->geometry(), listAt.adjusted(0, 0, 300, 200));
        QCOMPARE(Cell("lblData_1")->geometry(), cellAt.translated(0, 200));
        QCOMPARE(Button("btnSaveCapture")->geometry(), buttonAt.translated(300, 0));
        QVERIFY(list->verticalScrollBar()->pageStep() > 5);
        ClickRow(*window, 0); // the 0x10 layout moves rows; they keep the offset
        ClickRow(*window, 1);
        QCOMPARE(Cell("lblData_1")->geometry(), cellAt.translated(0, 200));

        window->resize(window->minimumSize() - QSize(50, 50)); // never below the design
        QCOMPARE(window->size(), window->minimumSize());
        QResizeEvent unchanged(window->size(), window->size()); // as the system sends when a window is shown
        QApplication::sendEvent(window.get(), &unchanged);
        for (auto it = design.cbegin(); it != design.cend(); ++it)
            QVERIFY2(it.key()->geometry() == it.value(), qPrintable(it.key()->objectName()));
    }

    void theWindowRemembersItsPlace() {
        window->resize(window->size() + QSize(120, 80));
        const QSize grown = window->size();
        QVERIFY(window->close());
        window = OpenWindow(prompts);
        QCOMPARE(window->size(), grown);
        UseTestSettings();
    }

    void copyOut_data() {
        QTest::addColumn<QString>("action"); // empty: Ctrl+C
        QTest::addColumn<QString>("starts");
        QTest::addColumn<QString>("holds");
        const QString bytes = "0C 41 00 00 10 30 30 30 33 30 31 35 34 30 FF 01", stamp = "[";
        QTest::newRow("Ctrl+C, the line") << QString() << stamp << "] " + bytes;
        QTest::newRow("the line") << "actCopyLine" << stamp << "] " + bytes;
        QTest::newRow("its bytes") << "actCopyBytes" << bytes << bytes;
        // The text `decode` prints: the wrong door and reserve carry their "!".
        QTest::newRow("the decoded table")
            << "actCopyTable" << QString("capture list:2  [") << QString("Door opening      CHAR(1)   34!");
    }
    void copyOut() {
        QFETCH(QString, action);
        QFETCH(QString, starts);
        QFETCH(QString, holds);
        Record({kMsg10BadDoor, kMsg11});
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        CaptureListView* list = CaptureView(*window);
        // Nothing selected: nothing copied.
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        ClickRow(*window, 1);
        if (action.isEmpty())
            QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        else
            Find<QAction>(*list, action)->trigger();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.startsWith(starts), qPrintable(copied));
        QVERIFY2(copied.contains(holds), qPrintable(copied));
        QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
    }

    // Ctrl+F, the text and the choice of lines reach the filter, the counters say how many are shown,
    // Escape clears the text. Which lines a filter shows is the filter's own test (tst_capture).
    void findAndShow() {
        // Rows, top first: 0 kMsg10BadDoor, 1 0x11, 2 valid 0x10 gate 0003, 3 part of a 0x20, 4 0x11
        Record({kMsg11, "4C41000020303030", "0C410000103030303330313531300000", kMsg11, kMsg10BadDoor});
        CaptureListView* list = CaptureView(*window);
        const auto shown = [&] {
            QList<int> rows;
            for (int viewRow = 0; viewRow < list->ShownCount(); ++viewRow)
                rows << list->ModelRow(viewRow);
            return rows;
        };
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        auto* text = Find<QLineEdit>(*window, "txtFind");
        QVERIFY(text->hasFocus());
        QTest::keyClicks(text, "10 30 30 30 33");
        QCOMPARE(shown(), (QList<int>{0, 2}));
        QTRY_VERIFY(Cell("lblCounters")->text().startsWith(QStringLiteral("2 of 5 lines")));
        QTest::keyClick(text, Qt::Key_Escape);
        QCOMPARE(text->text(), QString());
        QCOMPARE(list->ShownCount(), 5);
        auto* show = Find<QComboBox>(*window, "cboShow");
        show->setCurrentIndex(3); // 0x11 lines
        QCOMPARE(shown(), (QList<int>{1, 4}));
        QTest::keyClicks(text, "ff 01");
        show->setCurrentIndex(2); // 0x10 lines
        QCOMPARE(shown(), QList<int>{0});
        QTRY_VERIFY(Cell("lblCounters")->text().startsWith(QStringLiteral("1 of 5 lines")));
    }

    // Under a filter arrivals never select or decode; the selected line stays selected while shown.
    void theSelectionHoldsUnderAFilter() {
        for (int i = 0; i < 4998; ++i)
            RecordHex(*window, kMsg11);
        Record({kMsg10BadDoor, kMsg10BadDoor});
        Find<QLineEdit>(*window, "txtFind")->setText("FF 01");
        CaptureListView* list = CaptureView(*window);
        QCOMPARE(list->ShownCount(), 2);
        ClickRow(*window, 1);
        QCOMPARE(list->SelectedRow(), 1);
        const DecodeTable decoded = window->Table();
        QSignalSpy selected(list, &CaptureListView::RowSelected);
        RecordHex(*window, kMsg11);        // not shown; trims a 0x11 line
        RecordHex(*window, kMsg10BadDoor); // shown on top
        QCOMPARE(list->ShownCount(), 3);
        QCOMPARE(list->SelectedRow(), 3); // the same line, moved down
        QCOMPARE(list->ViewRow(3), 2);
        QCOMPARE(selected.count(), 0);
        QCOMPARE(window->Table(), decoded);
        // Clear acts on every line and says so.
        Button("btnClearCapture")->click();
        QCOMPARE(prompts.details.last(), QStringLiteral("All 5000 lines are deleted, not only the 3 shown.\n"
                                                        "5002 lines have not been saved."));
        QCOMPARE(window->CaptureList().Count(), 0);
    }

    // What a screen reader finds: the list's shown lines with text, mark and selection, each decode
    // cell's field and verdict, and the counters.
    void assistiveTechnologyReadsTheList() {
        Record({kMsg11, kMsg10BadDoor, "0C4100001030"});
        ClickRow(*window, 1);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(CaptureView(*window));
        QVERIFY(list);
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->childCount(), 3);
        const QString meanings[] = {"part of a message", "invalid message: a field is wrong or missing",
                                    "valid message; first line of a new connection"}; // the first recorded
        for (int i = 0; i < 3; ++i) {
            QAccessibleInterface* item = list->child(i);
            QVERIFY(item);
            QCOMPARE(item->role(), QAccessible::ListItem);
            QCOMPARE(item->text(QAccessible::Name), Lines()[i]);
            QCOMPARE(item->text(QAccessible::Description), meanings[i]);
            QCOMPARE(item->state().selected, i == 1);
            QCOMPARE(list->indexOfChild(item), i);
            QCOMPARE(item->parent(), list);
        }
        // An arrival on top: the same item is the same line, one place down.
        QAccessibleInterface* selected = list->child(1);
        RecordHex(*window, kMsg11);
        QCOMPARE(list->childCount(), 4);
        QCOMPARE(list->indexOfChild(selected), 2);
        QVERIFY(selected->state().selected);
        // Under a filter the items are the shown lines.
        Find<QLineEdit>(*window, "txtFind")->setText("FF 01");
        QCOMPARE(list->childCount(), 1);
        QCOMPARE(list->child(0)->text(QAccessible::Description), meanings[1]);

        const auto description = [&](const char* name) {
            return QAccessible::queryAccessibleInterface(Cell(name))->text(QAccessible::Description);
        };
        // The field, its verdict and the note its tooltip shows.
        QCOMPARE(description("lblData_8"),
                 QStringLiteral("Door opening: invalid \u2014 ") + Cell("lblData_8")->toolTip());
        QVERIFY(description("lblHeader_1").startsWith(QStringLiteral("Version: valid \u2014 ")));
        Find<QLineEdit>(*window, "txtFind")->clear();
        ClickRow(*window, 1); // the part: the rest of its cells are missing
        QVERIFY(description("lblData_3").startsWith(QStringLiteral("Gate number: missing \u2014 missing: ")));
        QAccessibleInterface* counters = QAccessible::queryAccessibleInterface(Cell("lblCounters"));
        QTRY_COMPARE(counters->text(QAccessible::Name),
                     QStringLiteral("4 lines, 1 invalid; 0x10: 2, 0x11: 2, 0x20: 0, other: 0"));
    }

    // A detail window opens beside the main window, never over its title bar, and then where it was.
    // A double click shows the dump of the line clicked, not of the one selected before.
    void detailWindowsOpenBesideAndRememberTheirPlace() {
        window->move(100, 100);
        Record({kMsg11, "0102030405060708090A0B0C0D0E0F1011"});
        ClickRow(*window, 1);
        CaptureListView* list = CaptureView(*window);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(0).center());
        frmDumpList* dump = window->DumpWindow();
        QVERIFY(dump->isVisible());
        QCOMPARE(DumpCell(1, 1), QStringLiteral("01"));
        const QRect owner = window->frameGeometry();
        const QRect titleBar(owner.left(), owner.top(), owner.width(),
                             window->geometry().top() - owner.top() + 1);
        QVERIFY(!dump->frameGeometry().intersects(titleBar));
        QVERIFY(!dump->frameGeometry().intersects(window->frameGeometry()) ||
                dump->geometry().top() > window->geometry().top());
        dump->move(dump->pos() + QPoint(30, 20));
        const QPoint moved = dump->pos();
        Find<QPushButton>(*dump, "btnClose")->click();
        QVERIFY(!dump->isVisible());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(0).center());
        QCOMPARE(dump->pos(), moved);
        UseTestSettings();
    }

    void saveFailureIsReported_data() {
        QTest::addColumn<QString>("details"); // %1 the path
        QTest::newRow("no such folder") << "The folder %1 does not exist.";
        QTest::newRow("disk full") << "The disk is full (0 bytes free).";
    }
    void saveFailureIsReported() {
        QFETCH(QString, details);
        const QByteArray tag = QTest::currentDataTag();
        QTemporaryDir small;
        if (tag == "disk full") {
            if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", small.path()}) != 0)
                QSKIP("mount of a small tmpfs refused (it needs root)");
        }
        const auto unmount = qScopeGuard([&] {
            if (tag == "disk full")
                QProcess::execute("umount", {small.path()});
        });
        Fill(3000); // about 100 KB
        prompts.fileName =
            tag == "disk full" ? small.filePath("capture.txt") : dir.filePath("none/capture.txt");
        Button("btnSaveCapture")->click();
        QCOMPARE(prompts.warned, QStringList{"Unable to save the file."});
        QCOMPARE(prompts.details, QStringList{QString(details).replace("%1", dir.filePath("none"))});
        QCOMPARE(window->CaptureList().Count(), 3000);
    }

    // The record of the whole list, not only the lines a filter shows, as HTML or PDF by the file's
    // extension; a failure says why.
    void reportOfTheWholeList() {
        Record({"0C 41 00 00 10 30 30 30 31 30 30 31 31 30 00 00",
                "0C 42 00 00 10 30 30 30 31 30 30 31 31 30 00 00", "04 41 00 00 11 00 00 00"});
        Find<QComboBox>(*window, "cboShow")->setCurrentIndex(1); // invalid lines only
        CommissioningRecord record;
        WindowRecord::Fill(record,
                           {window->CaptureList(), window->History(), window->FormatText(), "Site", {}});
        QCOMPARE(record.lines(), 3u);
        QCOMPARE(record.invalidMessages(), 1u);
        QCOMPARE(record.rules().Of(RecordRules::Index(FieldRules::Rule::Version)).broken, 1u);
        QCOMPARE(record.rules().Of(RecordRules::Index(FieldRules::Rule::Reserve11)).exercised, 1u);

        prompts.text = QStringLiteral("Site <A>");
        for (const QString name : {"record.html", "record.pdf"}) {
            prompts.fileName = dir.filePath(name);
            Button("btnReport")->click();
            QFile file(prompts.fileName);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY(name.endsWith("pdf") ? bytes.startsWith("%PDF-") : bytes.contains("Site &lt;A&gt;"));
        }
        QVERIFY(prompts.warned.isEmpty());
        prompts.fileName = dir.filePath("none/record.html");
        Button("btnReport")->click();
        QCOMPARE(prompts.warned, QStringList{"Unable to write the report."});
        QCOMPARE(prompts.details.last(),
                 QStringLiteral("The folder %1 does not exist.").arg(dir.filePath("none")));
    }

    void clearAsksOnlyWhenThereIsSomething() {
        Button("btnClearCapture")->click();
        QVERIFY(prompts.asked.isEmpty());
        RecordHex(*window, kMsg11);
        prompts.answer = false;
        Button("btnClearCapture")->click();
        QCOMPARE(prompts.asked, QStringList{"Are you sure you want to delete it?"});
        QCOMPARE(window->CaptureList().Count(), 1);
    }

    void theRealDialogsSaveAndLoad() {
        window->SetPrompts(nullptr);
        RecordHex(*window, kMsg11);
        const QString path = dir.filePath("real.txt");
        QStringList filters;
        QString selectedFilter;
        auto answer = [&](const QString& name) {
            QTimer::singleShot(0, this, [&, name] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                filters = dialog->nameFilters();
                selectedFilter = dialog->selectedNameFilter();
                dialog->selectFile(name);
                QMetaObject::invokeMethod(dialog, "accept");
            });
        };
        answer(path);
        Button("btnSaveCapture")->click();
        QCOMPARE(filters, QStringList({"All Files (*.*)", "CSV Files (*.csv)", "TEXT Files (*.txt)"}));
        QCOMPARE(selectedFilter, QStringLiteral("TEXT Files (*.txt)"));
        QVERIFY(ReadAll(path).endsWith("00 00 00\r\n"));

        // A file that is not a capture file: the real warning box, with its title and text.
        const QString bad = dir.filePath("bad.txt");
        WriteAll(bad, "hello\r\n");
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        answer(bad);
        QTimer::singleShot(200, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        Button("btnLoadCapture")->click();
        QCOMPARE(text, QStringLiteral("Unable to load the file."));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(window->CaptureList().Count(), 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
