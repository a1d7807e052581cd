#include "app/CaptureListView.h"

#include "app/CaptureListAccessible.h"
#include "app/CaptureListModel.h"

#include <QAccessible>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace {
constexpr int kTextMargin = 3;
// About one frame of a 60 Hz screen.
constexpr int kRefreshMs = 16;
} // namespace

CaptureListView::CaptureListView(CaptureListModel* model, QWidget* parent)
    : QAbstractScrollArea(parent), m_model(model), m_filter(*model) {
    static const bool accessible = [] {
        QAccessible::installFactory(CaptureListAccessibleFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { OnRowsInserted(first, last); });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { OnRowsRemoved(first, last); });
    connect(model, &QAbstractItemModel::modelReset, this, &CaptureListView::OnReset);
    // A filter on marks waits for a loaded file's marks, then looks at the lines once more.
    connect(model, &CaptureListModel::MarksChanged, this, [this] {
        if (m_filter.CatchUpWithMarks()) {
            DropHiddenSelection();
            UpdateScrollBars();
            viewport()->update();
        }
    });
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CaptureListView::Refresh);
    OnReset();
}

int CaptureListView::VisibleRows() const {
    return std::max(1, viewport()->height() / m_rowHeight);
}

int CaptureListView::TopRow() const {
    return verticalScrollBar()->value();
}

void CaptureListView::DropHiddenSelection() {
    if (ViewRow(m_selected) < 0)
        m_selected = -1;
}

void CaptureListView::SetFilter(std::string_view text, CaptureFilter::Show show) {
    m_filter.Set(text, show);
    DropHiddenSelection();
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    if (m_selected >= 0)
        ScrollTo(m_selected);
    viewport()->update();
}

QRect CaptureListView::RowRect(int row) const {
    const int viewRow = ViewRow(row);
    if (viewRow < 0)
        return {};
    return {-horizontalScrollBar()->value(), (viewRow - TopRow()) * m_rowHeight,
            std::max(m_contentWidth, viewport()->width()), m_rowHeight};
}

int CaptureListView::RowAt(QPoint viewportPos) const {
    if (viewportPos.y() < 0)
        return -1;
    const int viewRow = TopRow() + viewportPos.y() / m_rowHeight;
    return viewRow < ShownCount() ? ModelRow(viewRow) : -1;
}

void CaptureListView::SelectRow(int row) {
    if (row < 0 || row >= m_model->Count() || ViewRow(row) < 0)
        return;
    ScrollTo(row);
    if (row == m_selected)
        return;
    UpdateRow(m_selected);
    m_selected = row;
    UpdateRow(row);
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::Selection);
        event.setChild(ViewRow(row));
        QAccessible::updateAccessibility(&event);
    }
    emit RowSelected(row);
}

void CaptureListView::UpdateRow(int row) {
    const int viewRow = row < 0 ? -1 : ViewRow(row);
    if (viewRow >= TopRow() && viewRow <= TopRow() + VisibleRows())
        viewport()->update(0, (viewRow - TopRow()) * m_rowHeight, viewport()->width(), m_rowHeight);
}

void CaptureListView::scrollContentsBy(int dx, int dy) {
    // Down or up by whole rows the picture moves and only the rows that come into view are drawn; the
    // gutter stays put sideways, so a sideways scroll draws everything.
    if (dx != 0 || std::abs(dy) >= VisibleRows())
        viewport()->update();
    else
        viewport()->scroll(0, dy * m_rowHeight);
}

void CaptureListView::ScrollTo(int row) {
    SyncScrollBars();
    const int viewRow = ViewRow(row);
    if (viewRow < 0)
        return;
    QScrollBar* bar = verticalScrollBar();
    if (viewRow < bar->value())
        bar->setValue(viewRow);
    else if (viewRow >= bar->value() + VisibleRows())
        bar->setValue(viewRow - VisibleRows() + 1);
}

void CaptureListView::OnRowsInserted(int first, int last) {
    // The selection stays on its line, which has moved down; the view keeps its top row, as a list box does.
    if (m_selected >= first)
        m_selected += last - first + 1;
    m_filter.Arrived(first, last);
    Widen(first, last);
    ScheduleRefresh();
}

void CaptureListView::OnRowsRemoved(int first, int last) {
    // A removed selected line leaves nothing selected rather than selecting a neighbour.
    if (m_selected >= first && m_selected <= last)
        m_selected = -1;
    else if (m_selected > last)
        m_selected -= last - first + 1;
    m_filter.Trimmed();
    ScheduleRefresh();
}

void CaptureListView::OnReset() {
    m_selected = -1;
    m_filter.Rebuild();
    Remeasure();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void CaptureListView::Remeasure() {
    m_rowHeight = fontMetrics().height() + 2;
    m_gutterWidth = fontMetrics().horizontalAdvance(QStringLiteral("MM"));
    m_widestChars = 0;
    m_contentWidth = 0;
    // Only the longest line in characters is measured: a line's width follows its length.
    int widest = -1;
    std::size_t widestChars = 0;
    for (int row = 0; row < m_model->Count(); ++row) {
        if (widest < 0 || m_model->Line(row).size() > widestChars) {
            widestChars = m_model->Line(row).size();
            widest = row;
        }
    }
    if (widest >= 0)
        Widen(widest, widest);
    UpdateScrollBars();
    viewport()->update();
}

void CaptureListView::Widen(int first, int last) {
    for (int row = first; row <= last; ++row) {
        const std::string_view line = m_model->Line(row);
        if (line.size() <= m_widestChars)
            continue;
        m_widestChars = line.size();
        m_contentWidth =
            std::max(m_contentWidth,
                     m_gutterWidth + fontMetrics().horizontalAdvance(CaptureListModel::DisplayText(line)) +
                         2 * kTextMargin);
    }
}

void CaptureListView::ScheduleRefresh() {
    m_scrollBarsStale = true;
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void CaptureListView::Refresh() {
    SyncScrollBars();
    viewport()->update();
}

// Whatever reads the scroll position first catches up with the lines that came since the last tick.
void CaptureListView::SyncScrollBars() {
    if (m_scrollBarsStale)
        UpdateScrollBars();
}

void CaptureListView::UpdateScrollBars() {
    m_scrollBarsStale = false;
    const int rows = ShownCount();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, rows - VisibleRows()));
    vertical->setPageStep(VisibleRows());
    vertical->setSingleStep(1);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_contentWidth - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(fontMetrics().averageCharWidth() * 3);
}

QString CaptureListView::MarkSymbol(LineMark mark) {
    if (!mark.Known())
        return {};
    switch (mark.Kind()) {
    case LineKind::Valid:
        return QStringLiteral("\u2713"); // check mark
    case LineKind::Invalid:
        return QStringLiteral("\u2717"); // ballot x
    case LineKind::Part:
        return QStringLiteral("\u25D0"); // half a circle: the rest is elsewhere
    case LineKind::Several:
        return QStringLiteral("\u2261"); // several bars
    case LineKind::NotMessage:
        return QStringLiteral("\u2205"); // empty: no bytes to read
    }
    return {};
}

QColor CaptureListView::MarkColour(LineMark mark) {
    if (!mark.Known())
        return Qt::gray;
    switch (mark.Kind()) {
    case LineKind::Valid:
        return QColor(0, 128, 0);
    case LineKind::Invalid:
        return QColor(255, 0, 0);
    case LineKind::Part:
        return QColor(176, 96, 0);
    case LineKind::Several:
        return QColor(0, 0, 192);
    case LineKind::NotMessage:
        return QColor(96, 96, 96);
    }
    return Qt::gray;
}

void CaptureListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int first = TopRow();
    // Only the rows the event asks for are laid out: a new selection or a scroll by a row redraws a
    // row or two, not the whole list.
    const int from = first + std::max(0, event->rect().top()) / m_rowHeight;
    const int end =
        std::min({ShownCount(), first + VisibleRows() + 1, first + event->rect().bottom() / m_rowHeight + 1});
    const QPalette& pal = palette();
    const QRect gutter(0, 0, m_gutterWidth, viewport()->height());
    for (int viewRow = from; viewRow < end; ++viewRow) {
        const int row = ModelRow(viewRow);
        const QRect rect(-horizontalScrollBar()->value(), (viewRow - first) * m_rowHeight,
                         std::max(m_contentWidth, viewport()->width()), m_rowHeight);
        const bool selected = row == m_selected;
        if (selected)
            painter.fillRect(
                rect, pal.brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
        painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(rect.adjusted(m_gutterWidth + kTextMargin, 0, 0, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         CaptureListModel::DisplayText(m_model->Line(row)));
        // A rule parts a connection's first line from the older connection's lines below it.
        if (m_model->StartsConnection(row) && row + 1 < m_model->Count())
            painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, pal.brush(QPalette::Mid));
    }
    // The gutter stays put when the lines scroll sideways.
    painter.fillRect(gutter, pal.brush(QPalette::AlternateBase));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    for (int viewRow = from; viewRow < end; ++viewRow) {
        const LineMark mark = m_model->Mark(ModelRow(viewRow));
        painter.setPen(MarkColour(mark));
        painter.drawText(QRect(0, (viewRow - first) * m_rowHeight, m_gutterWidth, m_rowHeight),
                         Qt::AlignCenter, MarkSymbol(mark));
    }
}

bool CaptureListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = RowAt(help->pos());
        // Over the gutter the mark in words; over the line its arrival to the millisecond.
        QString text;
        if (row >= 0 && help->pos().x() < m_gutterWidth && m_model->Mark(row).Known()) {
            const std::string_view kind = LineKindText(m_model->Mark(row).Kind());
            text = QString::fromLatin1(kind.data(), static_cast<qsizetype>(kind.size()));
        } else if (row >= 0) {
            text = m_model->TimingText(row);
        }
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, viewport());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

bool CaptureListView::SelectNextInvalid(int step) {
    const int row = m_filter.NextInvalid(m_selected, step);
    if (row < 0)
        return false;
    SelectRow(row);
    return true;
}

void CaptureListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CaptureListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int row = RowAt(event->position().toPoint());
    if (row >= 0)
        SelectRow(row);
}

void CaptureListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int row = RowAt(event->position().toPoint());
    if (row >= 0) {
        SelectRow(row);
        emit RowDoubleClicked(row);
    }
}

void CaptureListView::keyPressEvent(QKeyEvent* event) {
    SyncScrollBars();
    const int count = ShownCount();
    if (count == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int selected = ViewRow(m_selected);
    const int current = selected < 0 ? TopRow() : selected;
    int row = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        row = selected < 0 ? current : current - 1;
        break;
    case Qt::Key_Down:
        row = selected < 0 ? current : current + 1;
        break;
    case Qt::Key_PageUp:
        row = current - VisibleRows();
        break;
    case Qt::Key_PageDown:
        row = current + VisibleRows();
        break;
    case Qt::Key_Home:
        row = 0;
        break;
    case Qt::Key_End:
        row = count - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    SelectRow(ModelRow(std::clamp(row, 0, count - 1)));
}

void CaptureListView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Remeasure();
}
