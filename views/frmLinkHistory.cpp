#include "views/frmLinkHistory.h"

#include "views/Present.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmLinkHistory::frmLinkHistory(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmLinkHistory"));
    setWindowTitle(QStringLiteral("Link history"));
    resize(760, 300);
    txtHistory = new QPlainTextEdit(this);
    txtHistory->setObjectName(QStringLiteral("txtHistory"));
    txtHistory->setReadOnly(true);
    txtHistory->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtHistory->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtHistory->setPlaceholderText(QStringLiteral("No connection yet."));
    btnCopy = new QPushButton(QStringLiteral("Copy"), this);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnClose = new QPushButton(QStringLiteral("CLOSE"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCopy);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtHistory);
    layout->addLayout(buttons);
    connect(btnCopy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(txtHistory->toPlainText()); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void frmLinkHistory::SetText(const QString& history, quint64 dropped, int mostLines) {
    txtHistory->setMaximumBlockCount(mostLines);
    txtHistory->setPlainText(history);
    ShowDropped(dropped);
    // The newest entry in view, from its time on.
    txtHistory->moveCursor(QTextCursor::End);
    txtHistory->moveCursor(QTextCursor::StartOfLine);
}

void frmLinkHistory::Append(const QString& entry, quint64 dropped) {
    txtHistory->appendPlainText(entry);
    ShowDropped(dropped);
    txtHistory->moveCursor(QTextCursor::End);
    txtHistory->moveCursor(QTextCursor::StartOfLine);
}

void frmLinkHistory::ShowDropped(quint64 dropped) {
    setWindowTitle(
        dropped == 0 ? QStringLiteral("Link history")
                     : QStringLiteral("Link history (the latest entries; %1 earlier not kept)").arg(dropped));
}

void frmLinkHistory::ShowWindow() {
    Present(this);
}
