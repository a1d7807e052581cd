#include "views/frmDumpList.h"

#include "decode/DumpGrid.h"
#include "views/Present.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

namespace {

// Fixed layout in pixels. The grid's outer size is 17 times the cell size plus the frame, so the 17
// uniform rows and columns fill it without a scroll bar.
constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 320;
constexpr QRect kGridRect{8, 8, 463, 276};
constexpr QRect kCloseRect{391, 290, 80, 24};

constexpr Qt::Alignment kCellAlignment = Qt::AlignRight | Qt::AlignVCenter;

int UniformSize(int total) {
    return int(std::lround(double(total) / kDumpGridSize));
}

// Every changed cell would otherwise schedule a repaint of its own; one for the whole grid makes a
// full line after a short one several times faster.
void FillGrid(QTableWidget* table, const DumpGrid& grid) {
    table->setUpdatesEnabled(false);
    for (int r = 0; r < kDumpGridSize; ++r) {
        for (int c = 0; c < kDumpGridSize; ++c) {
            table->item(r, c)->setText(QString::fromStdString(grid[r][c]));
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
            auto* item = new QTableWidgetItem;
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
    // With the focus in the grid, its current cell would be drawn highlighted in the heading corner.
    btnClose->setFocus();
}

void frmDumpList::setDumpData(std::string_view byteText) {
    if (!m_loaded)
        Load();
    FillGrid(MSFlexGrid1, MakeDumpGrid(byteText));
}

void frmDumpList::ShowWindow() {
    if (!m_loaded)
        Load();
    Present(this);
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
    m_loaded = true;
}

void frmDumpList::Unload() {
    FillGrid(MSFlexGrid1, DumpGrid{});
    MSFlexGrid1->clearSelection();
    m_loaded = false;
}
