#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The link's history ("Link history"): every connection, disconnection, refused second client and
// silence of the run, one a line, with a button that copies them all. Not modal; it follows the
// history while it is open.
class frmLinkHistory : public QWidget {
    Q_OBJECT

public:
    explicit frmLinkHistory(QWidget* parent = nullptr);

    void SetText(const QString& history);
    void ShowWindow();

private:
    QPlainTextEdit* txtHistory = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnClose = nullptr;
};
