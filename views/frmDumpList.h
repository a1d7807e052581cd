#pragma once

#include <QWidget>

#include "decode/DumpGrid.h"

#include <array>
#include <string_view>

class QLabel;
class QPushButton;
class QTableWidget;

// The hex dump window ("DUMP"): the bytes of the selected capture line, 16 to a row. One object for
// the whole run; CLOSE discards the grid's contents until the next DumpData.
class frmDumpList : public QWidget {
    Q_OBJECT

public:
    explicit frmDumpList(QWidget* parent = nullptr);

    // Refills the grid from a byte text, loading the window hidden when it is not loaded; never shows it.
    void setDumpData(std::string_view byteText);
    // Shows the window (not modal).
    void ShowWindow();
    // Which line the bytes come from, shown under the grid.
    void SetShownLine(const QString& text);

    bool isLoaded() const { return m_loaded; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Load();
    void Unload();
    void DrawChars();

    bool m_loaded = false;
    QTableWidget* MSFlexGrid1 = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* lblLine = nullptr;
    std::array<QLabel*, 17> lblChars{}; // heading, then the characters of each row of the grid
    DumpChars m_chars;
    DumpGrid m_grid; // what the grid's cells show
};
