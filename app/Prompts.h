#pragma once

#include <QString>

class QWidget;

// The tool's modal questions, messages and file dialogs, behind one seam so tests can answer them.
// Every box carries the application title.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A Yes/No question with a question icon, Yes the default. True for Yes.
    virtual bool Ask(QWidget* parent, const QString& text);
    // A message with an exclamation icon and an OK button.
    virtual void Warn(QWidget* parent, const QString& text);
    // The open or save dialog with the capture filters, offering lastName; empty when cancelled.
    virtual QString ChooseFile(QWidget* parent, bool save, const QString& lastName);
};

inline const QString kAppTitle = QStringLiteral("T-ARC Emulator");
