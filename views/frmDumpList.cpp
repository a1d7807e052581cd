#include "views/frmDumpList.h"

#include "common/modCommon.h"
#include "decode/DumpGrid.h"
#include "views/ControlName.h"
#include "views/Present.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

namespace {

// Fixed layout in pixels. The grid's outer size is 17 times the cell size plus the frame, so the 17
// uniform rows and columns fill it without a scroll bar.
constexpr int kWindowWidth = 620;
constexpr int kWindowHeight = 320;
constexpr QRect kGridRect{8, 8, 463, 276};
constexpr QRect kCloseRect{531, 290, 80, 24};
constexpr QRect kLineRect{8, 290, 515, 24};
// The characters stand beside the grid, a row of text level with each row of bytes.
constexpr int kCharsLeft = 480;
constexpr int kCharsWidth = 132;

constexpr Qt::Alignment kCellAlignment = Qt::AlignRight | Qt::AlignVCenter;

int UniformSize(int total) {
    return int(std::lround(double(total) / kDumpGridSize));
}

// Every changed cell would otherwise schedule a repaint of its own; one for the whole grid makes a
// full line after a short one several times faster.
// A byte cell's tooltip: where the byte stands in the line and the character it is.
class ByteItem : public QTableWidgetItem {
public:
    QVariant data(int role) const override {
        if (role != Qt::ToolTipRole)
            return QTableWidgetItem::data(role);
        const QString hex = text();
        if (hex.isEmpty())
            return {};
        const int offset = (row() - 1) * (kDumpGridSize - 1) + column() - 1;
        const std::uint32_t value = modCommon::HexValue(hex.toStdString());
        const QString character = value >= 0x20 && value < 0x7F ? QStringLiteral("\"%1\"").arg(QChar(value))
                                                                : QStringLiteral("not printable");
        return QStringLiteral("byte %1 (+%2): %3, %4")
            .arg(offset + 1)
            .arg(offset, 2, 16, QLatin1Char('0'))
            .arg(hex, character);
    }
};

// Sets the cells whose text differs from what the grid shows (shown): the headings and most bytes of
// one message stay as they are from one selection to the next.
void FillGrid(QTableWidget* table, const DumpGrid& grid, DumpGrid& shown) {
    table->setUpdatesEnabled(false);
    for (int r = 0; r < kDumpGridSize; ++r) {
        for (int c = 0; c < kDumpGridSize; ++c) {
            std::string& cell = shown[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            const std::string& text = grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            if (cell == text)
                continue;
            table->item(r, c)->setText(QString::fromStdString(text));
            cell = text;
        }
    }
    table->setUpdatesEnabled(true);
}

} // namespace

frmDumpList::frmDumpList(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmDumpList"));
    setWindowTitle(QStringLiteral("DUMP"));
    setFixedSize(kWindowWidth, kWindowHeight);

    MSFlexGrid1 = new QTableWidget(kDumpGridSize, kDumpGridSize, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setGeometry(kGridRect);
    // Row 0 and column 0 are the headings, drawn as fixed-looking cells so that one uniform size
    // serves all 17 rows and columns.
    MSFlexGrid1->horizontalHeader()->hide();
    MSFlexGrid1->verticalHeader()->hide();
    // The headers' default minimum (a line of text and its margins) would overrule the uniform size.
    MSFlexGrid1->horizontalHeader()->setMinimumSectionSize(1);
    MSFlexGrid1->verticalHeader()->setMinimumSectionSize(1);
    MSFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setWordWrap(false);
    const QBrush headingBackground = QGuiApplication::palette().button();
    for (int r = 0; r < kDumpGridSize; ++r) {
        for (int c = 0; c < kDumpGridSize; ++c) {
            auto* item = r == 0 || c == 0 ? new QTableWidgetItem : new ByteItem;
            item->setTextAlignment(kCellAlignment);
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(headingBackground);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            MSFlexGrid1->setItem(r, c, item);
        }
    }

    btnClose = new QPushButton(QStringLiteral("CLOSE"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(kCloseRect);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    lblLine = new QLabel(this);
    lblLine->setObjectName(QStringLiteral("lblLine"));
    lblLine->setGeometry(kLineRect);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int r = 0; r < kDumpGridSize; ++r) {
        QLabel*& chars = lblChars[static_cast<std::size_t>(r)];
        chars = new QLabel(this);
        chars->setObjectName(ControlName("lblChars", r));
        chars->setFont(fixed);
        chars->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    lblChars[0]->setText(QStringLiteral("ASCII"));
    // With the focus in the grid, its current cell would be drawn highlighted in the heading corner.
    btnClose->setFocus();
}

void frmDumpList::setDumpData(std::string_view byteText) {
    if (!m_loaded)
        Load();
    FillGrid(MSFlexGrid1, MakeDumpGrid(byteText), m_grid);
    m_chars = MakeDumpChars(byteText);
    if (isVisible())
        DrawChars();
}

// Every selection hands its bytes over, mostly while the window is hidden: the sixteen texts are drawn
// only once it is on screen.
void frmDumpList::DrawChars() {
    for (std::size_t r = 0; r < m_chars.size(); ++r)
        lblChars[r + 1]->setText(
            QString::fromLatin1(m_chars[r].data(), static_cast<qsizetype>(m_chars[r].size())));
}

void frmDumpList::SetShownLine(const QString& text) {
    lblLine->setText(text);
    lblLine->setToolTip(text);
}

void frmDumpList::ShowWindow() {
    if (!m_loaded)
        Load();
    Present(this);
    DrawChars();
}

void frmDumpList::closeEvent(QCloseEvent* event) {
    RememberPlace(this);
    Unload();
    QWidget::closeEvent(event);
}

void frmDumpList::Load() {
    const int width = UniformSize(MSFlexGrid1->width());
    const int height = UniformSize(MSFlexGrid1->height());
    for (int i = 0; i < kDumpGridSize; ++i) {
        MSFlexGrid1->setColumnWidth(i, width);
        MSFlexGrid1->setRowHeight(i, height);
    }
    for (int r = 0; r < kDumpGridSize; ++r) {
        const QRect cell = MSFlexGrid1->visualItemRect(MSFlexGrid1->item(r, 0));
        const QPoint top = MSFlexGrid1->viewport()->mapTo(this, cell.topLeft());
        lblChars[static_cast<std::size_t>(r)]->setGeometry(kCharsLeft, top.y(), kCharsWidth, cell.height());
    }
    m_loaded = true;
}

void frmDumpList::Unload() {
    FillGrid(MSFlexGrid1, DumpGrid{}, m_grid);
    m_chars = {};
    DrawChars();
    lblLine->clear();
    MSFlexGrid1->clearSelection();
    m_loaded = false;
}
