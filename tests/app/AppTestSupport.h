#pragma once

#include "app/CaptureListView.h"
#include "app/Prompts.h"
#include "app/frmMain.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include <memory>

// No test touches a user's settings or recovery journal: every program of the window's tests works in
// Qt's test folders, under the names the application itself uses.
inline void UseTestFolders() {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("tarc-emulator"));
    QCoreApplication::setApplicationName(QStringLiteral("tarc-emulator"));
}
Q_CONSTRUCTOR_FUNCTION(UseTestFolders)

// Answers the main window's questions and dialogs without showing them, and remembers what was asked.
struct FakePrompts : Prompts {
    bool answer = true;
    QString fileName;
    QStringList asked;
    QStringList warned;
    QStringList details; // the secondary text of every question and message, in order
    QStringList offered; // the name each file dialog offered
    QList<bool> saveDialogs;

    bool Ask(QWidget*, const QString& text, const QString& detail) override {
        asked << text;
        details << detail;
        return answer;
    }
    void Warn(QWidget*, const QString& text, const QString& detail) override {
        warned << text;
        details << detail;
    }
    QString ChooseFile(QWidget*, bool save, const QString& lastName) override {
        saveDialogs << save;
        offered << lastName;
        return fileName;
    }
    QString ChooseReportFile(QWidget*, const QString&) override { return fileName; }
    std::optional<QString> AskText(QWidget*, const QString&, const QString&) override { return text; }
    std::optional<QString> text;
};

template <typename T> T* Find(const QWidget& window, const QString& name) {
    T* widget = window.findChild<T*>(name);
    if (!widget)
        qFatal("no widget named %s", qPrintable(name));
    return widget;
}

inline QLabel* FindLabel(const QWidget& window, const QString& name) {
    return Find<QLabel>(window, name);
}

inline QPushButton* FindButton(const QWidget& window, const QString& name) {
    return Find<QPushButton>(window, name);
}

// The colour drawn inside a widget, away from its border.
inline QColor DrawnColour(QWidget* widget) {
    return widget->grab().toImage().pixelColor(widget->width() / 2, 2);
}

// Selects a row as the operator does, with a mouse click on it.
inline CaptureListView* CaptureView(frmMain& window) {
    return Find<CaptureListView>(window, QStringLiteral("lstCapture"));
}

inline void ClickRow(frmMain& window, int row) {
    CaptureListView* list = CaptureView(window);
    list->ScrollTo(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(row).center());
}

// The capture list's lines as text, top first.
inline QStringList CaptureTexts(const frmMain& window) {
    QStringList lines;
    for (const std::string_view line : window.CaptureList().Lines())
        lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    return lines;
}

// A shown main window whose questions and dialogs prompts answers.
inline std::unique_ptr<frmMain> OpenWindow(Prompts& prompts) {
    auto window = std::make_unique<frmMain>();
    window->SetPrompts(&prompts);
    window->show();
    return window;
}

inline void RecordHex(frmMain& window, const QByteArray& hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    window.RecordArrival(bytes.constData(), bytes.size());
}

// Every window test keeps to its own settings, empty at the start, so no user's settings are touched
// and no earlier run's window places leak in.
inline void UseTestSettings() {
    QSettings().clear();
}
