#include "common/modCommon.h"
#include "tests/views/MessageText.h"
#include "views/frmAccesibleFloors.h"
#include "views/frmDumpList.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include <cmath>

using namespace MessageText;

namespace {

const QColor kRed(255, 0, 0);

// Floor byte r is r itself: row j of a page then shows byte top + j in binary.
std::string CountingMessage(int n = 80) {
    return MessageOf(n, [](int r) { return modCommon::ByteToHex(std::uint8_t(r)); });
}

QColor Drawn(QWidget* widget) {
    return widget->grab().toImage().pixelColor(2, 2);
}

QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Button);
}

template <typename T> T* Child(QWidget* window, const QString& name) {
    auto* child = window->findChild<T*>(name);
    if (!child)
        qFatal("no child %s", qPrintable(name));
    return child;
}

QLabel* Control(QWidget* window, const char* name, int index) {
    return Child<QLabel>(window, QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
}

// The page a floors window shows: its first row number and the value cells of its first row, the
// highest floor first.
QString FirstRow(QWidget* window) {
    QString row = Control(window, "lblIndex", 0)->text() + ":";
    for (int k = 3; k >= 0; --k)
        row += Control(window, "lblAccesibleFloor", k)->text();
    return row;
}

} // namespace

class tst_Views : public QObject {
    Q_OBJECT

private slots:
    void floorsControlsAndLayout();
    void floorsReDrawLoadsHidden();
    void floorsCellColours();
    void floorsScrolling_data();
    void floorsScrolling();
    void floorsDragDrawsOnRelease();
    void floorsReDrawReturnsToFirstPage();
    void floorsDataAloneDoesNotRedraw();
    void floorsCloseDiscardsPage_data();
    void floorsCloseDiscardsPage();
    void dumpFillsHidden();
    void dumpGeometry();
    void dumpCloseEmpties_data();
    void dumpCloseEmpties();
};

void tst_Views::floorsControlsAndLayout() {
    frmAccesibleFloors window;
    QCOMPARE(window.objectName(), QString("frmAccesibleFloors"));
    QCOMPARE(window.windowTitle(), QString("AccesibleFloors"));
    QCOMPARE(Child<QLabel>(&window, "lblComment")->text(),
             QString(" 00 : Not accessible\r\n  01 : Accessible to only front side door\r\n"
                     "  10 : Accessible to only rear side door\r\n  11 : Accessible to both side door\r\n"));
    const QStringList headings{"D7 D6", "D5 D4", "D3 D2", "D1 D0"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(Control(&window, "Label4", i)->text(), headings[i]);
        QVERIFY(i == 0 || Control(&window, "Label4", i)->x() > Control(&window, "Label4", i - 1)->x());
    }
    QCOMPARE(Child<QPushButton>(&window, "btnClose")->text(), QString("CLOSE"));

    auto* frame = Child<QGroupBox>(&window, "Frame1");
    QVERIFY(frame->title().isEmpty());
    const QList<QWidget*> controls = frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 4 + 8 + 32 + 32 + 1);
    for (QWidget* a : controls) {
        QVERIFY2(frame->rect().contains(a->geometry()), qPrintable(a->objectName()));
        for (QWidget* b : controls)
            QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                     qPrintable(a->objectName() + " overlaps " + b->objectName()));
    }
    // Column 0 is the right-most; each floor label stands just left of its value cell, in its row.
    for (int i = 0; i < 32; ++i) {
        const QRect no = Control(&window, "lblNo", i)->geometry();
        const QRect cell = Control(&window, "lblAccesibleFloor", i)->geometry();
        QVERIFY(no.right() < cell.left() && cell.left() - no.right() < 8 && no.top() == cell.top());
        QVERIFY(Control(&window, "lblNo", i)->alignment() & Qt::AlignRight);
        QCOMPARE(Control(&window, "lblIndex", i / 4)->y(), cell.y());
        QVERIFY(i % 4 == 0 || cell.right() < Control(&window, "lblNo", i - 1)->x());
    }
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    QCOMPARE(scroll->orientation(), Qt::Vertical);
    QVERIFY(scroll->x() > Control(&window, "lblAccesibleFloor", 0)->geometry().right());
    QCOMPARE(scroll->y(), Control(&window, "lblAccesibleFloor", 0)->y());
    QCOMPARE(scroll->geometry().bottom(), Control(&window, "lblAccesibleFloor", 31)->geometry().bottom());
    const QRect close = Child<QPushButton>(&window, "btnClose")->geometry();
    QVERIFY(close.top() > frame->geometry().bottom() && close.left() > window.width() / 2);
    QVERIFY(window.rect().contains(close) && window.rect().contains(frame->geometry()));
}

void tst_Views::floorsReDrawLoadsHidden() {
    frmAccesibleFloors window;
    window.setFloorData(CountingMessage());
    QVERIFY(!window.isLoaded());
    window.ReDraw();
    QVERIFY(window.isLoaded());
    QVERIFY(!window.isVisible());
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    QCOMPARE(QList<int>({scroll->minimum(), scroll->maximum(), scroll->pageStep(), scroll->singleStep(),
                         scroll->value()}),
             QList<int>({0, 56, 8, 1, 0}));
    QCOMPARE(Control(&window, "lblIndex", 7)->text(), QString("08"));
    QCOMPARE(Control(&window, "lblNo", 31)->text(), QString("(32nd)"));
    // Byte 7 (00000111) in the last row: floors 29 and 30 accessible from the front, the rest not.
    QCOMPARE(Control(&window, "lblAccesibleFloor", 28)->text(), QString("11"));
    QCOMPARE(Control(&window, "lblAccesibleFloor", 29)->text(), QString("01"));
}

void tst_Views::floorsCellColours() {
    frmAccesibleFloors window;
    window.setFloorData(Message(20, "3C")); // 11 floor bytes
    window.ShowWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    scroll->triggerAction(QAbstractSlider::SliderPageStepAdd); // bytes 9 to 16: three present
    QLabel* present = Control(&window, "lblAccesibleFloor", 8);
    QLabel* missing = Control(&window, "lblAccesibleFloor", 12);
    QCOMPARE(present->text(), QString("00"));
    QCOMPARE(Drawn(present), ButtonFace());
    QCOMPARE(missing->text(), QString());
    QCOMPARE(Drawn(missing), kRed);

    // A full line drawn over it leaves nothing red behind.
    window.setFloorData(Message(80, "C3"));
    window.ReDraw();
    scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(missing->text(), QString("11"));
    QCOMPARE(Drawn(missing), ButtonFace());

    // Floor 256 that claims access is flagged on the last page.
    scroll->triggerAction(QAbstractSlider::SliderToMaximum);
    QLabel* floor256 = Control(&window, "lblAccesibleFloor", 31);
    QCOMPARE(floor256->text(), QString("11"));
    QCOMPARE(Drawn(floor256), kRed);
    QVERIFY(!Control(&window, "lblNo", 31)->isVisible());
    QVERIFY(Control(&window, "lblNo", 30)->isVisible());
    QCOMPARE(Control(&window, "lblNo", 30)->text(), QString("(255th)"));
}

void tst_Views::floorsScrolling_data() {
    QTest::addColumn<QList<int>>("actions");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("firstRow");
    QTest::addColumn<QString>("firstFloor");
    using A = QAbstractSlider;
    QTest::newRow("one step") << QList<int>{A::SliderSingleStepAdd} << 1 << "02:00000001"
                              << "(5th)";
    QTest::newRow("one page") << QList<int>{A::SliderPageStepAdd} << 8 << "09:00001000"
                              << "(33rd)";
    QTest::newRow("page and step back")
        << QList<int>{A::SliderPageStepAdd, A::SliderSingleStepSub} << 7 << "08:00000111"
        << "(29th)";
    QTest::newRow("to the end") << QList<int>{A::SliderToMaximum} << 56 << "57:00111000"
                                << "(225th)";
    QTest::newRow("past the end") << QList<int>{A::SliderToMaximum, A::SliderPageStepAdd} << 56
                                  << "57:00111000"
                                  << "(225th)";
}

void tst_Views::floorsScrolling() {
    QFETCH(QList<int>, actions);
    QFETCH(int, value);
    QFETCH(QString, firstRow);
    QFETCH(QString, firstFloor);
    frmAccesibleFloors window;
    window.setFloorData(CountingMessage());
    window.ShowWindow();
    QCOMPARE(FirstRow(&window), QString("01:00000000"));
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    for (int action : actions)
        scroll->triggerAction(QAbstractSlider::SliderAction(action));
    QCOMPARE(scroll->value(), value);
    QCOMPARE(FirstRow(&window), firstRow);
    QCOMPARE(Control(&window, "lblNo", 0)->text(), firstFloor);
}

void tst_Views::floorsDragDrawsOnRelease() {
    frmAccesibleFloors window;
    window.setFloorData(CountingMessage());
    window.ShowWindow();
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    scroll->setSliderDown(true);
    scroll->setSliderPosition(20);
    QCOMPARE(FirstRow(&window), QString("01:00000000"));
    scroll->setSliderDown(false);
    QCOMPARE(FirstRow(&window), QString("21:00010100"));
}

void tst_Views::floorsReDrawReturnsToFirstPage() {
    frmAccesibleFloors window;
    window.setFloorData(CountingMessage());
    window.ShowWindow();
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    scroll->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(FirstRow(&window), QString("57:00111000"));
    window.setFloorData(Message(80, "E4"));
    window.ReDraw();
    QVERIFY(window.isVisible());
    QCOMPARE(scroll->value(), 0);
    QCOMPARE(FirstRow(&window), QString("01:11100100"));
    QVERIFY(Control(&window, "lblNo", 31)->isVisible());
}

void tst_Views::floorsDataAloneDoesNotRedraw() {
    frmAccesibleFloors window;
    window.setFloorData(CountingMessage());
    window.ShowWindow();
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    window.setFloorData(Message(80, "E4"));
    QCOMPARE(FirstRow(&window), QString("09:00001000"));
    // Showing a loaded window keeps its page too ("Details" on the same line).
    window.ShowWindow();
    QCOMPARE(scroll->value(), 8);
    QCOMPARE(FirstRow(&window), QString("09:00001000"));
    // The next drawing of a page uses the data stored meanwhile.
    scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(FirstRow(&window), QString("10:11100100"));
}

void tst_Views::floorsCloseDiscardsPage_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("CLOSE") << true;
    QTest::newRow("title bar") << false;
}

void tst_Views::floorsCloseDiscardsPage() {
    QFETCH(bool, byButton);
    frmAccesibleFloors window;
    window.setFloorData(CountingMessage());
    window.ShowWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* scroll = Child<QScrollBar>(&window, "VScroll1");
    scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    if (byButton)
        QTest::mouseClick(Child<QPushButton>(&window, "btnClose"), Qt::LeftButton);
    else
        window.close();
    QVERIFY(!window.isVisible());
    QVERIFY(!window.isLoaded());
    QCOMPARE(window.floorData().FloorCount, 64); // the data outlives the controls

    window.ShowWindow();
    QVERIFY(window.isVisible());
    QCOMPARE(scroll->value(), 0);
    QCOMPARE(FirstRow(&window), QString("01:00000000"));

    // After another close, ReDraw loads it hidden at the first page.
    scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    window.close();
    window.ReDraw();
    QVERIFY(!window.isVisible());
    QCOMPARE(FirstRow(&window), QString("01:00000000"));
}

void tst_Views::dumpFillsHidden() {
    frmDumpList window;
    QCOMPARE(window.objectName(), QString("frmDumpList"));
    QCOMPARE(window.windowTitle(), QString("DUMP"));
    QCOMPARE(Child<QPushButton>(&window, "btnClose")->text(), QString("CLOSE"));
    QVERIFY(!window.isLoaded());
    window.setDumpData(CountingMessage(256));
    QVERIFY(window.isLoaded());
    QVERIFY(!window.isVisible());

    // A short line after a long one: nothing of the long one stays.
    window.setDumpData("04 41 00 00 11 00 00 00");
    auto* grid = Child<QTableWidget>(&window, "MSFlexGrid1");
    QCOMPARE(grid->rowCount(), 17);
    QCOMPARE(grid->columnCount(), 17);
    QCOMPARE(grid->item(0, 1)->text(), QString("+0"));
    QCOMPARE(grid->item(16, 0)->text(), QString("F0"));
    for (int r = 0; r < 17; ++r) {
        for (int c = 0; c < 17; ++c) {
            QTableWidgetItem* item = grid->item(r, c);
            if (r == 1 && c >= 1 && c <= 8)
                QCOMPARE(item->text(), QString(c == 2 ? "41" : c == 5 ? "11" : c == 1 ? "04" : "00"));
            else if (r > 0 && c > 0)
                QCOMPARE(item->text(), QString());
            QCOMPARE(item->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
            QVERIFY(!(item->flags() & Qt::ItemIsEditable));
            QCOMPARE(bool(item->flags() & Qt::ItemIsSelectable), r > 0 && c > 0);
        }
    }
}

void tst_Views::dumpGeometry() {
    frmDumpList window;
    window.setDumpData(CountingMessage(256));
    window.ShowWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* grid = Child<QTableWidget>(&window, "MSFlexGrid1");
    const int width = int(std::lround(grid->width() / 17.0));
    const int height = int(std::lround(grid->height() / 17.0));
    for (int i = 0; i < 17; ++i) {
        QCOMPARE(grid->columnWidth(i), width);
        QCOMPARE(grid->rowHeight(i), height);
    }
    // The whole grid is on screen, the last byte included.
    QVERIFY(grid->viewport()->rect().contains(grid->visualItemRect(grid->item(16, 16))));
    QCOMPARE(grid->item(16, 16)->text(), QString("EE"));
    const QRect close = Child<QPushButton>(&window, "btnClose")->geometry();
    QVERIFY(close.top() > grid->geometry().bottom() && close.left() > window.width() / 2);
    QVERIFY(window.rect().contains(close));

    // Headings look fixed: drawn on the button face, unlike the byte cells.
    const QImage image = grid->viewport()->grab().toImage();
    const QPoint heading = grid->visualItemRect(grid->item(0, 5)).topLeft() + QPoint(3, 3);
    const QPoint byte = grid->visualItemRect(grid->item(5, 5)).topLeft() + QPoint(3, 3);
    QCOMPARE(image.pixelColor(heading * image.devicePixelRatio()), ButtonFace());
    QVERIFY(image.pixelColor(byte * image.devicePixelRatio()) != ButtonFace());
}

void tst_Views::dumpCloseEmpties_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("CLOSE") << true;
    QTest::newRow("title bar") << false;
}

void tst_Views::dumpCloseEmpties() {
    QFETCH(bool, byButton);
    frmDumpList window;
    window.setDumpData(CountingMessage());
    window.ShowWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (byButton)
        QTest::mouseClick(Child<QPushButton>(&window, "btnClose"), Qt::LeftButton);
    else
        window.close();
    QVERIFY(!window.isVisible());
    QVERIFY(!window.isLoaded());

    // Shown again before the next line: an empty grid without headings.
    window.ShowWindow();
    QVERIFY(window.isVisible());
    auto* grid = Child<QTableWidget>(&window, "MSFlexGrid1");
    for (int r = 0; r < 17; ++r) {
        for (int c = 0; c < 17; ++c)
            QCOMPARE(grid->item(r, c)->text(), QString());
    }

    window.setDumpData(CountingMessage());
    QCOMPARE(grid->item(0, 16)->text(), QString("+F"));
    QCOMPARE(grid->item(1, 1)->text(), QString("4C"));
    QCOMPARE(grid->item(5, 16)->text(), QString("00")); // byte 79
    QCOMPARE(grid->item(6, 1)->text(), QString());
}

QTEST_MAIN(tst_Views)
#include "tst_views.moc"
