#pragma once

#include "app/ChecklistModel.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

class CaptureListModel;
class CaptureListView;
class PlanMatcher;
struct Expectation;
class QWidget;
class frmChecklist;

// The test plan of the window: loads it, evaluates it against the capture list and keeps the checklist
// window up to date. An arrival is matched as it comes; after Load, Clear or a new plan the whole list is
// evaluated again from its oldest line, in slices between events like the marks of a loaded file.
class PlanPanel : public QObject {
    Q_OBJECT

public:
    PlanPanel(QWidget* window, CaptureListModel& list, CaptureListView& view);
    ~PlanPanel() override;

    // Reads and parses the plan, then opens the checklist. False, with the reason ("line 3: ..."), when
    // the file cannot be read or does not parse; the plan shown before stays.
    bool Load(const QString& path, QString* reason);
    const QString& LastFileName() const { return m_lastFileName; }
    const PlanMatcher* Matcher() const { return m_matcher.get(); }
    // The loaded plan's expectations; none when no plan is loaded.
    std::vector<Expectation> Expectations() const;
    frmChecklist* Window() const { return m_window.get(); }
    bool Evaluating() const { return m_sliceTimer.isActive(); }

    void RememberPlace() const;
    void HideWindow();

private:
    void OnArrival();
    void EvaluateAgain();
    void EvaluateSlice();
    void ShowProgress();
    // Ticks reach the checklist at the screen's pace: an arrival only notes which rows changed.
    void NoteChanged(const std::vector<int>& rows);
    void Refresh();
    // Selects the line that met the expectation (else the first that matched it but was invalid).
    void SelectLineOf(int expectation);

    QWidget* m_owner;
    CaptureListModel& m_list;
    CaptureListView& m_view;
    std::unique_ptr<PlanMatcher> m_matcher;
    ChecklistModel m_model;
    std::unique_ptr<frmChecklist> m_window;
    std::int64_t m_next = 0; // position of the next line to evaluate (see CaptureRows::Position)
    QTimer m_sliceTimer;
    QTimer m_refreshTimer;
    std::vector<int> m_changedRows;
    std::vector<bool> m_rowChanged; // by expectation, whether it is in m_changedRows
    QString m_lastFileName;
};
