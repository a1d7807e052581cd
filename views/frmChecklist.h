#pragma once

#include <QWidget>

class QAbstractItemModel;
class QLabel;
class QPushButton;
class QTreeView;

// The checklist of a test plan ("Checklist"): a row per expectation with its state, ticked as messages
// arrive. Not modal; activating a row (double click, Enter) asks for the line that met it.
class frmChecklist : public QWidget {
    Q_OBJECT

public:
    explicit frmChecklist(QAbstractItemModel* model, QWidget* parent = nullptr);

    void SetPlanName(const QString& name);
    // The line under the list: how many expectations are met, or why a row's line cannot be shown.
    void SetNote(const QString& note);
    void ShowWindow();

signals:
    void RowActivated(int row);

private:
    QLabel* lblChecklistNote = nullptr;
    QTreeView* lstChecklist = nullptr;
    QPushButton* btnClose = nullptr;
};
