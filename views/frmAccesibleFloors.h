#pragma once

#include "decode/FloorsPage.h"

#include <QWidget>

#include <array>
#include <string_view>

class QLabel;
class QPushButton;
class QScrollBar;

// The accessible floors window ("AccesibleFloors"): the 64-byte floors field of a 0x20 message, eight
// bytes (32 floors) a page, scrolled with VScroll1. One object for the whole run; CLOSE discards the
// page it shows, and the next ReDraw or showing starts again at the first page.
class frmAccesibleFloors : public QWidget {
    Q_OBJECT

public:
    explicit frmAccesibleFloors(QWidget* parent = nullptr);

    // Stores the floor bytes of a byte text (fields 9 to 72); does not redraw or show.
    void setFloorData(std::string_view byteText);
    // Back to the first page and drawn, loading the window hidden when it is not loaded.
    void ReDraw();
    // Shows the window (not modal); a window that is not loaded starts at the first page, one that is
    // open keeps its page and draws it anew from the data stored last.
    void ShowWindow();
    // Which line the floors come from ("12/06/2026 8:01:03 PM, gate 0001"), shown under the floors.
    void SetShownLine(const QString& text);

    const FloorData& floorData() const { return m_data; }
    bool isLoaded() const { return m_loaded; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Load();
    void ResetView();
    void ShowFloors(int top);
    void Unload();

    FloorData m_data;
    bool m_loaded = false;
    int m_wheelDelta = 0; // eighths of a degree not yet turned into rows
    QLabel* lblComment = nullptr;
    QLabel* lblLine = nullptr;
    std::array<QLabel*, 8> lblIndex{};
    std::array<QLabel*, 32> lblNo{};
    std::array<QLabel*, 32> lblAccesibleFloor{};
    QScrollBar* VScroll1 = nullptr;
    QPushButton* btnClose = nullptr;
};
