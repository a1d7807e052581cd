#include "views/frmChecklist.h"

#include "views/Present.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

frmChecklist::frmChecklist(QAbstractItemModel* model, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmChecklist"));
    setWindowTitle(QStringLiteral("Checklist"));
    resize(560, 320);
    lstChecklist = new QTreeView(this);
    lstChecklist->setObjectName(QStringLiteral("lstChecklist"));
    lstChecklist->setAccessibleName(QStringLiteral("Expectations of the plan"));
    lstChecklist->setRootIsDecorated(false);
    lstChecklist->setUniformRowHeights(true);
    lstChecklist->setAlternatingRowColors(true);
    lstChecklist->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstChecklist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstChecklist->setModel(model);
    // Fixed widths for the state, time and count: sizing a column to its contents measures every row
    // again at each tick.
    QHeaderView* header = lstChecklist->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const QFontMetrics metrics = lstChecklist->fontMetrics();
    const char* const widest[] = {"\u2718 seen, invalid", "00:00:00 PM", "999999 of 999999"};
    for (int column = 1; column < model->columnCount() && column <= 3; ++column)
        header->resizeSection(column, metrics.horizontalAdvance(QString::fromUtf8(widest[column - 1])) +
                                          3 * metrics.averageCharWidth());
    lblChecklistNote = new QLabel(this);
    lblChecklistNote->setObjectName(QStringLiteral("lblChecklistNote"));
    btnClose = new QPushButton(QStringLiteral("CLOSE"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblChecklistNote, 1);
    bottom->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstChecklist);
    layout->addLayout(bottom);
    connect(lstChecklist, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit RowActivated(index.row()); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void frmChecklist::SetPlanName(const QString& name) {
    setWindowTitle(QStringLiteral("Checklist - %1").arg(name));
}

void frmChecklist::SetNote(const QString& note) {
    lblChecklistNote->setText(note);
}

void frmChecklist::ShowWindow() {
    Present(this);
}
