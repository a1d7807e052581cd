#include "common/modCommon.h"
#include "tests/decode/MessageText.h"
#include "views/CachedGroupBox.h"
#include "views/StaticTextLabel.h"
#include "views/frmAccesibleFloors.h"
#include "views/frmDumpList.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QWheelEvent>
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

template <typename T = QLabel> T* Child(QWidget* window, const QString& name, int index = -1) {
    auto* child = window->findChild<T*>(index < 0 ? name : QStringLiteral("%1_%2").arg(name).arg(index));
    if (!child)
        qFatal("no child %s %d", qPrintable(name), index);
    return child;
}

// The largest difference of one colour channel between two drawings of the same size.
int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            largest = std::max({largest, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                std::abs(p.blue() - q.blue())});
        }
    return largest;
}

// The page a floors window shows: its first row number and the value cells of its first row, the
// highest floor first.
QString FirstRow(QWidget* window) {
    QString row = Child(window, "lblIndex", 0)->text() + ":";
    for (int k = 3; k >= 0; --k)
        row += Child(window, "lblAccesibleFloor", k)->text();
    return row;
}

} // namespace

class tst_Views : public QObject {
    Q_OBJECT

private slots:
    // The windows remember their places: keep to test settings, empty at the start.
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    void floorsControlsAndLayout() {
        frmAccesibleFloors window;
        const QStringList headings{"D7 D6", "D5 D4", "D3 D2", "D1 D0"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Child(&window, "Label4", i)->text(), headings[i]);
            QVERIFY(i == 0 || Child(&window, "Label4", i)->x() > Child(&window, "Label4", i - 1)->x());
        }
        auto* frame = Child<QGroupBox>(&window, "Frame1");
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
            const QRect no = Child(&window, "lblNo", i)->geometry();
            const QRect cell = Child(&window, "lblAccesibleFloor", i)->geometry();
            QVERIFY(no.right() < cell.left() && cell.left() - no.right() < 8 && no.top() == cell.top());
            QCOMPARE(Child(&window, "lblIndex", i / 4)->y(), cell.y());
            QVERIFY(i % 4 == 0 || cell.right() < Child(&window, "lblNo", i - 1)->x());
        }
        const QRect scroll = Child<QScrollBar>(&window, "VScroll1")->geometry();
        const QRect firstCell = Child(&window, "lblAccesibleFloor", 0)->geometry();
        QVERIFY(scroll.left() > firstCell.right() && scroll.top() == firstCell.top() &&
                scroll.bottom() == Child(&window, "lblAccesibleFloor", 31)->geometry().bottom());
        const QRect close = Child<QPushButton>(&window, "btnClose")->geometry();
        QVERIFY(close.top() > frame->geometry().bottom() && close.left() > window.width() / 2 &&
                window.rect().contains(close) && window.rect().contains(frame->geometry()));
    }

    void floorsDrawing() {
        frmAccesibleFloors window;
        window.setFloorData(Message(20, "3C")); // 11 floor bytes
        QVERIFY(!window.isLoaded());
        window.ReDraw();
        QVERIFY(window.isLoaded() && !window.isVisible());
        auto* scroll = Child<QScrollBar>(&window, "VScroll1");
        QCOMPARE(QList<int>({scroll->minimum(), scroll->maximum(), scroll->pageStep(), scroll->singleStep(),
                             scroll->value()}),
                 QList<int>({0, 56, 8, 1, 0}));
        QCOMPARE(Child(&window, "lblNo", 31)->text(), QString("(32nd)"));
        QCOMPARE(Child(&window, "lblAccesibleFloor", 28)->text(), QString("00")); // byte 8: 00111100
        QCOMPARE(Child(&window, "lblAccesibleFloor", 29)->text(), QString("11"));

        window.ShowWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        scroll->triggerAction(QAbstractSlider::SliderPageStepAdd); // bytes 9 to 16: three present
        QLabel* present = Child(&window, "lblAccesibleFloor", 8);
        QLabel* missing = Child(&window, "lblAccesibleFloor", 12);
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
    }

    void floorsPageLifecycle() {
        frmAccesibleFloors window;
        window.setFloorData(CountingMessage());
        window.ShowWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* scroll = Child<QScrollBar>(&window, "VScroll1");
        // A drag draws its page only when the thumb is let go.
        scroll->setSliderDown(true);
        scroll->setSliderPosition(20);
        QCOMPARE(FirstRow(&window), QString("01:00000000"));
        scroll->setSliderDown(false);
        QCOMPARE(FirstRow(&window), QString("21:00010100"));

        // New data alone does not redraw; showing a loaded window ("Details") keeps its page and draws
        // it from the new data, never from the line before.
        window.setFloorData(Message(80, "E4"));
        QCOMPARE(FirstRow(&window), QString("21:00010100"));
        window.ShowWindow();
        QCOMPARE(scroll->value(), 20);
        QCOMPARE(FirstRow(&window), QString("21:11100100"));
        scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(FirstRow(&window), QString("22:11100100"));

        // CLOSE discards the page, not the data; ReDraw then loads the window hidden at the first page.
        QTest::mouseClick(Child<QPushButton>(&window, "btnClose"), Qt::LeftButton);
        QVERIFY(!window.isVisible() && !window.isLoaded());
        QCOMPARE(window.floorData().FloorCount, 64);
        window.ReDraw();
        QVERIFY(!window.isVisible());
        QCOMPARE(FirstRow(&window), QString("01:11100100"));
    }

    // The wheel anywhere over the floors, and the page keys wherever the focus is, move the page; the
    // floor 256 cell, whose label is hidden on the last page only, is named by its tooltip and
    // accessible name.
    void floorsScrollByWheelAndKeys() {
        frmAccesibleFloors window;
        window.setFloorData(CountingMessage());
        window.ShowWindow();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* scroll = Child<QScrollBar>(&window, "VScroll1");
        QLabel* cell = Child(&window, "lblAccesibleFloor", 5);
        // Over a floor cell; sent to the window, as a wheel event the cell ignores goes on to it.
        const auto wheel = [&](int delta) {
            const QPointF at = cell->mapTo(&window, cell->rect().center());
            QWheelEvent event(at, window.mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&window, &event);
        };
        wheel(-120);
        const int down = scroll->value();
        QVERIFY(down > 0);
        // Byte r of the counting message is r: the page's first row shows byte `down` in binary.
        QCOMPARE(FirstRow(&window),
                 QString("%1:%2").arg(down + 1, 2, 10, QChar('0')).arg(down, 8, 2, QChar('0')));
        wheel(120);
        QCOMPARE(scroll->value(), 0);

        Child<QPushButton>(&window, "btnClose")->setFocus();
        const std::pair<Qt::Key, int> keys[] = {
            {Qt::Key_PageDown, 8}, {Qt::Key_PageDown, 16}, {Qt::Key_Up, 15}, {Qt::Key_End, 56},
            {Qt::Key_PageUp, 48},  {Qt::Key_Down, 49},     {Qt::Key_Home, 0}};
        for (const auto& [key, top] : keys) {
            QTest::keyClick(&window, key);
            QCOMPARE(scroll->value(), top);
            QCOMPARE(Child(&window, "lblIndex", 0)->text().toInt(), top + 1);
            QCOMPARE(Child(&window, "lblNo", 31)->isVisible(), top != 56);
        }
        QTest::keyClick(&window, Qt::Key_End);
        QLabel* last = Child(&window, "lblAccesibleFloor", 31);
        QCOMPARE(last->toolTip(), QString("floor 256: no such floor"));
        QCOMPARE(last->accessibleName(), last->toolTip());
        QCOMPARE(Child(&window, "lblAccesibleFloor", 30)->toolTip(), QString("floor 255: both side doors"));
        window.setFloorData(Message(80, "C0")); // floor 256 set
        window.ReDraw();
        QTest::keyClick(&window, Qt::Key_End);
        QCOMPARE(last->toolTip(), QString("floor 256: no such floor, must be 00"));
        QCOMPARE(Drawn(last), kRed);
        QCOMPARE(Child(&window, "lblAccesibleFloor", 29)->toolTip(), QString("floor 254: not accessible"));
        window.setFloorData(Message(12, "C0")); // three floor bytes
        window.ReDraw();
        QCOMPARE(Child(&window, "lblAccesibleFloor", 3)->toolTip(), QString("floor 4: both side doors"));
        QCOMPARE(Child(&window, "lblAccesibleFloor", 12)->toolTip(),
                 QString("floor 13: missing: the message ends before it"));
    }

    void dumpWindow() {
        frmDumpList window;
        QVERIFY(!window.isLoaded());
        window.setDumpData(CountingMessage(256));
        QVERIFY(window.isLoaded() && !window.isVisible());

        // A short line after a long one: nothing of the long one stays.
        window.setDumpData("04 41 00 00 11 00 00 00");
        auto* grid = Child<QTableWidget>(&window, "MSFlexGrid1");
        QCOMPARE(QSize(grid->columnCount(), grid->rowCount()), QSize(17, 17));
        QCOMPARE(grid->item(0, 1)->text(), QString("+0"));
        QCOMPARE(grid->item(16, 0)->text(), QString("F0"));
        const QStringList row0{"04", "41", "00", "00", "11", "00", "00", "00"};
        for (int r = 0; r < 17; ++r) {
            for (int c = 0; c < 17; ++c) {
                QTableWidgetItem* item = grid->item(r, c);
                if (r > 0 && c > 0)
                    QCOMPARE(item->text(), r == 1 && c <= 8 ? row0[c - 1] : QString());
                QCOMPARE(item->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
                QVERIFY(!(item->flags() & Qt::ItemIsEditable));
                QCOMPARE(bool(item->flags() & Qt::ItemIsSelectable), r > 0 && c > 0);
            }
        }

        // The characters beside each row of bytes, level with it, and each byte's tooltip.
        window.setDumpData("04 41 00 7E 7F 20 5A");
        QCOMPARE(Child(&window, "lblChars", 1)->text(), QString()); // drawn once shown
        window.ShowWindow();
        QCOMPARE(Child(&window, "lblChars", 0)->text(), QString("ASCII"));
        QCOMPARE(Child(&window, "lblChars", 1)->text(), QString(".A.~. Z"));
        QCOMPARE(Child(&window, "lblChars", 2)->text(), QString());
        QCOMPARE(grid->item(1, 2)->toolTip(), QString("byte 2 (+01): 41, \"A\""));
        QCOMPARE(grid->item(1, 5)->toolTip(), QString("byte 5 (+04): 7F, not printable"));
        QCOMPARE(grid->item(1, 8)->toolTip(), QString());
        window.SetShownLine("7 Dec 2026 00:07:39, gate 0001");
        QCOMPARE(Child(&window, "lblLine")->text(), QString("7 Dec 2026 00:07:39, gate 0001"));

        // Shown with a full line: uniform cells, and the whole grid on screen, the last byte included.
        window.setDumpData(CountingMessage(256));
        window.ShowWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int i = 0; i < 17; ++i) {
            QCOMPARE(grid->columnWidth(i), int(std::lround(grid->width() / 17.0)));
            QCOMPARE(grid->rowHeight(i), int(std::lround(grid->height() / 17.0)));
        }
        QVERIFY(grid->viewport()->rect().contains(grid->visualItemRect(grid->item(16, 16))));
        QCOMPARE(grid->item(16, 16)->text(), QString("EE"));
        const QRect close = Child<QPushButton>(&window, "btnClose")->geometry();
        QVERIFY(close.top() > grid->geometry().bottom() && close.left() > window.width() / 2 &&
                window.rect().contains(close));
        for (int r = 0; r < 17; ++r) {
            QLabel* chars = Child(&window, "lblChars", r);
            const QRect row = grid->visualItemRect(grid->item(r, 16));
            QCOMPARE(chars->geometry().center().y(), grid->viewport()->mapTo(&window, row.center()).y());
            QVERIFY(chars->x() > grid->geometry().right() && window.rect().contains(chars->geometry()));
        }
        QCOMPARE(Child(&window, "lblChars", 16)->text().size(), 16);

        // CLOSE empties the grid, headings included, until the next line.
        QTest::mouseClick(Child<QPushButton>(&window, "btnClose"), Qt::LeftButton);
        QVERIFY(!window.isVisible() && !window.isLoaded());
        window.ShowWindow();
        QVERIFY(window.isVisible());
        for (int i = 0; i < 17 * 17; ++i)
            QCOMPARE(grid->item(i / 17, i % 17)->text(), QString());
        QCOMPARE(Child(&window, "lblChars", 1)->text(), QString());
        QCOMPARE(Child(&window, "lblLine")->text(), QString());
    }

    // The table's labels keep laid-out texts and sizes; they must draw and size exactly as QLabel does,
    // framed or not, however aligned, when the text, the font or the enabled state changes.
    void keptTextLabelsDrawAsQLabel_data() {
        QTest::addColumn<bool>("framed");
        QTest::addColumn<int>("alignment");
        QTest::newRow("cell") << true << int(Qt::AlignCenter);
        QTest::newRow("explanation") << true << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("name") << false << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("right, top") << true << int(Qt::AlignRight | Qt::AlignTop);
        QTest::newRow("bottom") << false << int(Qt::AlignHCenter | Qt::AlignBottom);
    }
    void keptTextLabelsDrawAsQLabel() {
        QFETCH(bool, framed);
        QFETCH(int, alignment);
        QWidget window;
        window.setFont(QFont(QStringLiteral("Arial"), 8));
        QLabel plain(&window);
        StaticTextLabel kept(&window);
        for (QLabel* label : {&plain, static_cast<QLabel*>(&kept)}) {
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::Alignment(alignment));
            if (framed)
                label->setFrameShape(QFrame::Box);
            label->setGeometry(0, 0, 160, 24);
        }
        window.show();
        if (window.devicePixelRatio() != 1)
            QSKIP("on a scaled display glyphs may sit a fraction of a pixel apart; compared unscaled");
        const auto same = [&](const char* what) {
            QCOMPARE(kept.sizeHint(), plain.sizeHint());
            QCOMPARE(kept.minimumSizeHint(), plain.minimumSizeHint());
            QVERIFY2(kept.grab().toImage() == plain.grab().toImage(), what);
        };
        // Each text twice: the second drawing comes from what the first one kept.
        for (const QString& text : {QStringLiteral("30"), QStringLiteral("\"0001\" to \"9999\""),
                                    QStringLiteral("Accesible Floors"), QStringLiteral("30"), QString(),
                                    QStringLiteral("\"0001\" to \"9999\""), QStringLiteral("<b>FF</b>")}) {
            plain.setText(text);
            kept.setText(text);
            same(qPrintable(text));
        }
        window.setFont(QFont(QStringLiteral("Arial"), 11, QFont::Bold));
        same("a larger font");
        window.setEnabled(false);
        same("disabled");
    }

    // A group box drawn once and copied: the same picture as QGroupBox (a shade may round one level
    // apart), drawn again after a new size, title or font, at any scale, and checkable.
    void keptGroupBoxDrawsAsQGroupBox() {
        QWidget window;
        window.resize(400, 300);
        QGroupBox plain(QStringLiteral("Received data"), &window);
        CachedGroupBox kept(QStringLiteral("Received data"), &window);
        plain.setGeometry(0, 0, 200, 100);
        kept.setGeometry(200, 0, 200, 100);
        window.show();
        const auto same = [&](const char* what) {
            const QPixmap drawn = window.grab();
            const auto part = [&](const QRect& r) {
                const qreal ratio = drawn.devicePixelRatio();
                return drawn.toImage().copy(
                    QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toRect());
            };
            // Scaled, the frame's antialiased edges may round a few levels apart.
            const int allowed = drawn.devicePixelRatio() == 1 ? 1 : 32;
            QVERIFY2(LargestDifference(part(kept.geometry()), part(plain.geometry())) <= allowed, what);
        };
        same("first drawing");
        same("copied");
        plain.setGeometry(0, 0, 180, 150);
        kept.setGeometry(200, 0, 180, 150);
        same("resized");
        plain.setTitle(QStringLiteral("Communication data"));
        kept.setTitle(QStringLiteral("Communication data"));
        same("a new title");
        window.setFont(QFont(QStringLiteral("Arial"), 12, QFont::Bold));
        same("a new font");
        plain.setCheckable(true);
        kept.setCheckable(true);
        same("checkable");
    }
};

QTEST_MAIN(tst_Views)
#include "tst_views.moc"
