#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The tool's modal questions, messages and file dialogs, behind one seam so tests can answer them.
// Every box carries the application title.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A Yes/No question with a question icon, Yes the default. True for Yes. The text stays exactly as
    // the tool words it; details (counts, reasons) go in the box's secondary text.
    virtual bool Ask(QWidget* parent, const QString& text, const QString& details = {});
    // A message with an exclamation icon and an OK button, the reason as secondary text.
    virtual void Warn(QWidget* parent, const QString& text, const QString& details = {});
    // The open or save dialog with the capture filters, offering lastName; empty when cancelled.
    virtual QString ChooseFile(QWidget* parent, bool save, const QString& lastName);
    // The save dialog for a report, HTML or PDF by the name's extension; empty when cancelled.
    virtual QString ChooseReportFile(QWidget* parent, const QString& lastName);
    // One line of text, offering last; nullopt when cancelled.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& label, const QString& last);
};

inline const QString kAppTitle = QStringLiteral("T-ARC Emulator");
