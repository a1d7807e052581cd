#include "app/PlanPanel.h"

#include "app/CaptureListModel.h"
#include "app/CaptureListView.h"
#include "report/PlanMatcher.h"
#include "views/Present.h"
#include "views/frmChecklist.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
// One slice of evaluating the list again: short enough that the window answers at once.
constexpr qint64 kSliceNs = 8'000'000;
// About a frame: the checklist shows the ticks of a burst of arrivals at once.
constexpr int kRefreshMs = 16;
} // namespace

PlanPanel::PlanPanel(QWidget* window, CaptureListModel& list, CaptureListView& view)
    : m_owner(window), m_list(list), m_view(view) {
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &PlanPanel::EvaluateSlice);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &PlanPanel::Refresh);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, &PlanPanel::OnArrival);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &PlanPanel::EvaluateAgain);
}

PlanPanel::~PlanPanel() = default;

bool PlanPanel::Load(const QString& path, QString* reason) {
    m_lastFileName = path;
    TestPlan plan = LoadTestPlan(QFile::encodeName(path).toStdString());
    if (!plan.Ok()) {
        *reason = QString::fromStdString(plan.ErrorText());
        return false;
    }
    auto matcher = std::make_unique<PlanMatcher>(std::move(plan.expectations));
    m_model.SetMatcher(matcher.get());
    m_matcher = std::move(matcher);
    m_changedRows.clear();
    m_rowChanged.assign(m_matcher->Expectations().size(), false);
    if (!m_window) {
        m_window = std::make_unique<frmChecklist>(&m_model, m_owner);
        connect(m_window.get(), &frmChecklist::RowActivated, this, &PlanPanel::SelectLineOf);
    }
    m_window->SetPlanName(QFileInfo(path).fileName());
    EvaluateAgain();
    m_window->ShowWindow();
    return true;
}

std::vector<Expectation> PlanPanel::Expectations() const {
    return m_matcher ? m_matcher->Expectations() : std::vector<Expectation>();
}

void PlanPanel::OnArrival() {
    if (!m_matcher)
        return;
    // While the list is still being evaluated the slices reach the new line in their turn.
    if (m_sliceTimer.isActive() || m_next != m_list.Position(0))
        return;
    m_matcher->MatchLine(m_list.Line(0), m_next++);
    if (!m_matcher->Changed().empty())
        NoteChanged(m_matcher->Changed());
}

void PlanPanel::NoteChanged(const std::vector<int>& rows) {
    for (const int row : rows) {
        if (!m_rowChanged[static_cast<std::size_t>(row)]) {
            m_rowChanged[static_cast<std::size_t>(row)] = true;
            m_changedRows.push_back(row);
        }
    }
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void PlanPanel::Refresh() {
    m_model.RowsChanged(m_changedRows);
    for (const int row : m_changedRows)
        m_rowChanged[static_cast<std::size_t>(row)] = false;
    m_changedRows.clear();
    ShowProgress();
}

void PlanPanel::EvaluateAgain() {
    if (!m_matcher)
        return;
    m_matcher->Reset();
    m_next = m_list.Trimmed();
    EvaluateSlice();
}

void PlanPanel::EvaluateSlice() {
    QElapsedTimer slice;
    slice.start();
    // Oldest first, so the first match of each expectation is the earliest line.
    m_next = std::max(m_next, m_list.Trimmed());
    const std::int64_t end = m_list.Position(0) + 1;
    for (int done = 1; m_next < end; ++done) {
        m_matcher->MatchLine(m_list.Line(m_list.RowAtPosition(m_next)), m_next);
        ++m_next;
        if (done % 256 == 0 && slice.nsecsElapsed() > kSliceNs)
            break;
    }
    if (m_next < end)
        m_sliceTimer.start();
    else
        m_sliceTimer.stop();
    m_model.AllChanged();
    ShowProgress();
}

void PlanPanel::ShowProgress() {
    if (!m_window)
        return;
    const int total = static_cast<int>(m_matcher->Expectations().size());
    QString note = QStringLiteral("%1 of %2 met").arg(m_matcher->MetCount()).arg(total);
    if (m_sliceTimer.isActive())
        note += QStringLiteral(" (evaluating the list...)");
    m_window->SetNote(note);
}

void PlanPanel::SelectLineOf(int expectation) {
    const ExpectationTally& tally = m_matcher->Tallies()[static_cast<std::size_t>(expectation)];
    const std::int64_t position = tally.firstMet >= 0 ? tally.firstMet : tally.firstInvalid;
    if (position < 0)
        return;
    const int row = m_list.RowAtPosition(position);
    if (position < m_list.Trimmed() || row < 0) {
        m_window->SetNote(QStringLiteral("That line is no longer in the list."));
        return;
    }
    if (m_view.ViewRow(row) < 0) {
        m_window->SetNote(QStringLiteral("That line is hidden by the filter."));
        return;
    }
    m_view.SelectRow(row);
    m_owner->raise();
    m_owner->activateWindow();
}

void PlanPanel::RememberPlace() const {
    if (m_window)
        ::RememberPlace(m_window.get());
}

void PlanPanel::HideWindow() {
    if (m_window)
        m_window->hide();
}
