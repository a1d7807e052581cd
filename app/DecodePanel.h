#pragma once

#include "decode/DecodeTable.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class CaptureListModel;
class CaptureListView;
class DecodeTableView;
class LineMessages;
class QLabel;
class QPushButton;
class QWidget;
class frmAccesibleFloors;
class frmDumpList;

// The lower half of "Received data": the decode table of the selected line, the steps through the
// messages within and across lines above it, the summary under it, and the hand-over of what is shown
// to the floors and dump windows.
class DecodePanel : public QObject {
    Q_OBJECT

public:
    // Builds the table and its controls inside frame; the window's own controls table made
    // btnDetailFloors there already.
    DecodePanel(QWidget* window, QWidget* frame, const CaptureListModel& list, const CaptureListView& view);
    ~DecodePanel() override;

    const DecodeTable& Table() const { return m_table; }
    frmAccesibleFloors* FloorsWindow() const { return m_floors.get(); }
    frmDumpList* DumpWindow() const { return m_dump.get(); }

    // The operator selected row: its whole line decoded, handed to the detail windows.
    void Select(int row);
    // Back to the empty table, as after Load and Clear.
    void Reset();
    void ShowDumpWindow();
    void RememberPlaces();
    void HideWindows();

private:
    void BuildMessageControls(QWidget* frame);
    LineMessages MessagesOf(int row) const;
    void ShowMessageStep(int step);
    void ShowStepControls(const LineMessages& messages);
    void Draw();
    void HandOver(std::string_view byteText, bool floors, int row);
    void ShowFloorsWindow();
    // "12/06/2026 8:01:03 PM, gate 0001" and, after the first step, which message: for the detail windows.
    QString ShownLineText(int row) const;
    frmAccesibleFloors& Floors();
    frmDumpList& Dump();

    QWidget* m_window;
    const CaptureListModel& m_list;
    const CaptureListView& m_view;
    DecodeTable m_table;
    int m_step = 0;          // the message of the selected line the table shows; 0 the whole line
    std::string m_stepText;  // its bytes, after the first step
    std::string m_stepLabel; // what lblMessage says of it

    std::unique_ptr<DecodeTableView> m_tableView;
    QPushButton* btnDetailFloors = nullptr;
    QLabel* lblSummary = nullptr;
    QLabel* lblMessage = nullptr;
    QPushButton* btnPrevMessage = nullptr;
    QPushButton* btnNextMessage = nullptr;
    std::unique_ptr<frmAccesibleFloors> m_floors;
    std::unique_ptr<frmDumpList> m_dump;
};
