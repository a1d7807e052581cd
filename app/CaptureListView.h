#pragma once

#include "capture/CaptureFilter.h"
#include "decode/LineMark.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <cstddef>

class CaptureListModel;

// The capture list on screen: a single-selection list of one text line per row, drawn straight from
// the model. Qt's item views keep per-row bookkeeping that costs O(rows) for every insertion or removal
// (a table view walks all its header sections when a row is removed); a line list of uniform rows needs
// none of it, so an arrival costs the same with 5000 lines as with a million loaded ones.
class CaptureListView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CaptureListView(CaptureListModel* model, QWidget* parent = nullptr);

    // Rows are the model's rows throughout; under a filter only some of them are shown.
    // The selected row, or -1.
    int SelectedRow() const { return m_selected; }
    // Selects a row as the operator does (raises RowSelected when it changes).
    void SelectRow(int row);
    void ScrollTo(int row);
    QRect RowRect(int row) const;
    int RowAt(QPoint viewportPos) const;
    int ContentWidth() const { return m_contentWidth; }
    const CaptureListModel* Model() const { return m_model; }
    // The width of the mark gutter at the left of every row.
    int GutterWidth() const { return m_gutterWidth; }
    // Selects, as the operator does, the nearest line below (step 1) or above (step -1) the selected one
    // whose mark is invalid; false, and nothing changes, when there is none.
    bool SelectNextInvalid(int step);

    // Shows only the lines that hold text (any case) and pass show. The selected line stays selected
    // while it is shown; one that is filtered out leaves nothing selected, and nothing is decoded.
    void SetFilter(std::string_view text, CaptureFilter::Show show);
    bool Filtered() const { return m_filter.Active(); }
    int ShownCount() const { return m_filter.ShownCount(); }
    // The row of the viewRow-th shown line from the top, and the other way round (-1: not shown).
    int ModelRow(int viewRow) const { return m_filter.Row(viewRow); }
    int ViewRow(int modelRow) const { return m_filter.ViewRow(modelRow); }

    // How a mark is shown: a symbol and a colour, never the colour alone.
    static QString MarkSymbol(LineMark mark);
    static QColor MarkColour(LineMark mark);

signals:
    // Only the operator's own selection (mouse or keyboard) raises these; the program's changes to
    // the list never do.
    void RowSelected(int row);
    void RowDoubleClicked(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void OnRowsInserted(int first, int last);
    void OnRowsRemoved(int first, int last);
    void OnReset();
    void UpdateRow(int row);
    void Remeasure();
    void Widen(int first, int last);
    void UpdateScrollBars();
    // Arrivals can come thousands of times a second; the screen shows about sixty frames. Changes
    // to the lines mark the view stale and one tick at the screen's pace brings the scroll bars
    // and the picture up to date, so a burst of arrivals costs one repaint.
    void ScheduleRefresh();
    void Refresh();
    void SyncScrollBars();
    int VisibleRows() const;
    // After the filter looked at every line: a selected line it hides is no longer selected.
    void DropHiddenSelection();
    int TopRow() const;

    CaptureListModel* m_model;
    int m_selected = -1;
    int m_rowHeight = 1;
    int m_contentWidth = 0;
    int m_gutterWidth = 0;
    std::size_t m_widestChars = 0;
    bool m_scrollBarsStale = false;
    CaptureFilter m_filter;
    QTimer m_refreshTimer;
};
