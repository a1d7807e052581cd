#pragma once

#include <QObject>

class CaptureListModel;
class CaptureListView;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;
class QWidget;

// The controls around the capture list: find and show (the filter), the counters line under the list,
// copying a line out of it, and F8 to the next invalid line.
class ListControls : public QObject {
    Q_OBJECT

public:
    ListControls(QWidget* window, QWidget* frame, CaptureListModel& list, CaptureListView& view);

    // The window grew wider by dx: find and show stay at the list's right edge, the counters widen.
    void FollowWidth(int dx);

private:
    void BuildFilter(QWidget* window, QWidget* frame);
    void BuildCopy(QWidget* window);
    void ApplyFilter();
    void ScheduleCounters();
    void DrawCounters();
    void CopySelected(int what);

    CaptureListModel& m_list;
    CaptureListView& m_view;
    QLabel* lblCounters = nullptr;
    QLineEdit* txtFind = nullptr;
    QComboBox* cboShow = nullptr;
    QTimer* m_countersTimer = nullptr;
};
