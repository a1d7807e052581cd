#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The link's history ("Link history"): every connection, disconnection, refused second client and
// silence of the run that the history keeps, one a line, with a button that copies them all. Not modal; it
// follows the history while it is open.
class frmLinkHistory : public QWidget {
    Q_OBJECT

public:
    explicit frmLinkHistory(QWidget* parent = nullptr);

    // The whole history, of which `dropped` earlier entries were not kept; at most mostLines are shown.
    void SetText(const QString& history, quint64 dropped, int mostLines);
    // One entry more, at the end: the text is never written again, so the thousandth costs the first's.
    void Append(const QString& entry, quint64 dropped);
    void ShowWindow();

private:
    QPlainTextEdit* txtHistory = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnClose = nullptr;

    void ShowDropped(quint64 dropped);
};
