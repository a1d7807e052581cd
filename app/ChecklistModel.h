#pragma once

#include <QAbstractTableModel>

#include <vector>

class PlanMatcher;

// The rows of the checklist: one per expectation of the plan, read from the matcher's tallies. The state
// is said in words and by a symbol, never by colour alone, and each row has an accessible text and
// description for assistive technology.
class ChecklistModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name, State, First, Count, kColumns };

    explicit ChecklistModel(QObject* parent = nullptr);

    // The plan shown; nullptr for none. The matcher outlives its use here.
    void SetMatcher(const PlanMatcher* matcher);
    // The tallies of these expectations changed.
    void RowsChanged(const std::vector<int>& rows);
    void AllChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "Gate 3 to floor 15: seen at 10:15:30, 2 of at least 3 messages, not met yet"
    QString RowText(int row) const;

private:
    QString StateCell(int row) const;
    QString CountCell(int row) const;

    const PlanMatcher* m_matcher = nullptr;
};
