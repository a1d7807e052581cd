#include "views/frmAccesibleFloors.h"

#include "views/CellBackground.h"
#include "views/ControlName.h"
#include "views/Present.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

namespace {

constexpr int kColumns = MessageFormat::kFloorsPerByte;

// Fixed layout in pixels. The value columns are counted from the right (column 0 holds the lowest
// floor of a byte), so a row reads like its byte written in binary.
constexpr int kWindowWidth = 440;
constexpr int kWindowHeight = 350;
constexpr QRect kCommentRect{8, 8, 424, 74};
constexpr QRect kFrameRect{8, 88, 424, 222};
constexpr QRect kCloseRect{344, 316, 88, 26};
constexpr QRect kLineRect{8, 316, 330, 26};
constexpr int kHeadingTop = 8;
constexpr int kHeadingHeight = 18;
constexpr int kHeadingWidth = 60;
constexpr int kFirstRowTop = 30;
constexpr int kRowPitch = 23;
constexpr int kRowHeight = 20;
constexpr int kIndexLeft = 8;
constexpr int kIndexWidth = 22;
constexpr int kFirstColumnLeft = 32; // the left-most column, column 3
constexpr int kColumnPitch = 90;
constexpr int kNoWidth = 54;
constexpr int kCellOffset = 56; // from the floor label's left edge to its value cell's
constexpr int kCellWidth = 32;
constexpr int kScrollLeft = 398;
constexpr int kScrollWidth = 17;

// Four lines, each ended by CR LF; the first is indented by one blank, the others by two.
QString Legend() {
    QString text;
    for (const std::string_view line : MessageFormat::kFloorsLegend) {
        text += text.isEmpty() ? QStringLiteral(" ") : QStringLiteral("  ");
        text += QLatin1String(line.data(), static_cast<qsizetype>(line.size())) + QStringLiteral("\r\n");
    }
    return text;
}

int RowTop(int row) {
    return kFirstRowTop + row * kRowPitch;
}
int NoLeft(int column) {
    return kFirstColumnLeft + (kColumns - 1 - column) * kColumnPitch;
}
int CellLeft(int column) {
    return NoLeft(column) + kCellOffset;
}

} // namespace

frmAccesibleFloors::frmAccesibleFloors(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAccesibleFloors"));
    setWindowTitle(QStringLiteral("AccesibleFloors"));
    setFixedSize(kWindowWidth, kWindowHeight);

    lblComment = new QLabel(Legend(), this);
    lblComment->setObjectName(QStringLiteral("lblComment"));
    lblComment->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblComment->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblComment->setMargin(2);
    lblComment->setGeometry(kCommentRect);

    auto* Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(kFrameRect);

    for (int column = 0; column < kColumns; ++column) {
        const int index = kColumns - 1 - column; // Label4 runs from left to right
        const std::string_view text = MessageFormat::kFloorsHeadings[static_cast<std::size_t>(index)];
        auto* heading = new QLabel(QLatin1String(text.data(), static_cast<qsizetype>(text.size())), Frame1);
        heading->setObjectName(ControlName("Label4", index));
        heading->setAlignment(Qt::AlignCenter);
        heading->setGeometry(CellLeft(column) + (kCellWidth - kHeadingWidth) / 2, kHeadingTop, kHeadingWidth,
                             kHeadingHeight);
    }
    for (int row = 0; row < kFloorsPageRows; ++row) {
        QLabel*& index = lblIndex[row];
        index = new QLabel(Frame1);
        index->setObjectName(ControlName("lblIndex", row));
        index->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        index->setGeometry(kIndexLeft, RowTop(row), kIndexWidth, kRowHeight);
        for (int column = 0; column < kColumns; ++column) {
            const int i = kColumns * row + column;
            QLabel*& no = lblNo[i];
            no = new QLabel(Frame1);
            no->setObjectName(ControlName("lblNo", i));
            no->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            no->setGeometry(NoLeft(column), RowTop(row), kNoWidth, kRowHeight);
            QLabel*& cell = lblAccesibleFloor[i];
            cell = new QLabel(Frame1);
            cell->setObjectName(ControlName("lblAccesibleFloor", i));
            cell->setFrameStyle(QFrame::Box | QFrame::Plain);
            cell->setAlignment(Qt::AlignCenter);
            cell->setGeometry(CellLeft(column), RowTop(row), kCellWidth, kRowHeight);
        }
    }

    VScroll1 = new QScrollBar(Qt::Vertical, Frame1);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(kScrollLeft, kFirstRowTop, kScrollWidth,
                          RowTop(kFloorsPageRows - 1) + kRowHeight - kFirstRowTop);
    // A page is drawn when the thumb is let go, not at every step of a drag.
    VScroll1->setTracking(false);
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmAccesibleFloors::ShowFloors);

    btnClose = new QPushButton(QStringLiteral("CLOSE"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(kCloseRect);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    lblLine = new QLabel(this);
    lblLine->setObjectName(QStringLiteral("lblLine"));
    lblLine->setGeometry(kLineRect);

    // The page keys work wherever the focus is in the window, the close button included.
    const std::pair<QKeySequence, QAbstractSlider::SliderAction> keys[] = {
        {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
        {Qt::Key_End, QAbstractSlider::SliderToMaximum},
    };
    for (const auto& [key, action] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, VScroll1,
                [this, action] { VScroll1->triggerAction(action); });
    }
}

void frmAccesibleFloors::SetShownLine(const QString& text) {
    lblLine->setText(text);
    lblLine->setToolTip(text);
}

// The wheel scrolls the floors wherever the pointer is in the window, not only over the scroll bar.
void frmAccesibleFloors::wheelEvent(QWheelEvent* event) {
    // A notch is 120; a touchpad sends less at a time, so the rest waits for the next event.
    m_wheelDelta += event->angleDelta().y();
    const int notches = m_wheelDelta / 120;
    m_wheelDelta -= notches * 120;
    if (notches != 0)
        VScroll1->setValue(VScroll1->value() - notches * QApplication::wheelScrollLines());
    event->accept();
}

void frmAccesibleFloors::setFloorData(std::string_view byteText) {
    SetFloorData(m_data, byteText);
}

void frmAccesibleFloors::ReDraw() {
    if (m_loaded)
        ResetView();
    else
        Load();
}

void frmAccesibleFloors::ShowWindow() {
    // The page stays, but what it shows is the line just handed over, never the one before it.
    if (m_loaded)
        ShowFloors(VScroll1->value());
    else
        Load();
    Present(this);
}

void frmAccesibleFloors::closeEvent(QCloseEvent* event) {
    RememberPlace(this);
    Unload();
    QWidget::closeEvent(event);
}

void frmAccesibleFloors::Load() {
    m_loaded = true;
    ResetView();
}

void frmAccesibleFloors::Unload() {
    m_loaded = false;
}

void frmAccesibleFloors::ResetView() {
    {
        // One page is drawn below; the value change on the way must not draw another.
        const QSignalBlocker blocker(VScroll1);
        VScroll1->setMinimum(0);
        VScroll1->setMaximum(kFloorsTopMax);
        VScroll1->setPageStep(kFloorsPageRows);
        VScroll1->setSingleStep(1);
        VScroll1->setValue(0);
    }
    ShowFloors(0);
}

void frmAccesibleFloors::ShowFloors(int top) {
    const FloorsPage page = ::ShowFloors(m_data, top);
    for (int row = 0; row < kFloorsPageRows; ++row)
        lblIndex[row]->setText(QString::fromStdString(page.lblIndex[row]));
    for (std::size_t i = 0; i < page.lblNo.size(); ++i) {
        lblNo[i]->setText(QString::fromStdString(page.lblNo[i].caption));
        lblNo[i]->setVisible(page.lblNo[i].visible);
        const Label& cell = page.lblAccesibleFloor[i];
        lblAccesibleFloor[i]->setText(QString::fromStdString(cell.caption));
        SetCellBackground(lblAccesibleFloor[i], cell.red);
        // The floor 256 cell has no floor label beside it: this is its only name.
        const QString note = QString::fromStdString(cell.note);
        lblAccesibleFloor[i]->setToolTip(note);
        lblAccesibleFloor[i]->setAccessibleName(note);
    }
}
