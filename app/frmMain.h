#pragma once

#include "app/CaptureListModel.h"
#include "app/Prompts.h"
#include "decode/DecodeTable.h"
#include "link/LocalClock.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string_view>

class CaptureListView;
class DecodeTableView;
class QGroupBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TcpLink;
class frmAccesibleFloors;
class frmDumpList;

// The main window: the link to the access control system, the capture list and the decode table.
// Constructing it runs the window's load step (InitSocket, InitWindow); nothing listens until Start.
class frmMain : public QWidget {
    Q_OBJECT

public:
    static constexpr quint16 kLocalPort = 60173;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Tests answer the questions and dialogs through their own Prompts; nullptr restores the real ones.
    void SetPrompts(Prompts* prompts);

    int ConnectState() const { return m_connectState; }
    const QString& FormatText() const { return m_formatText; }
    const DecodeTable& Table() const { return m_table; }
    const CaptureListModel& CaptureList() const { return m_captureList; }
    frmAccesibleFloors* FloorsWindow() const { return m_floors.get(); }
    frmDumpList* DumpWindow() const { return m_dump.get(); }

    // For benchmarks and tests that must leave the operator's port alone: 0 lets the system choose
    // one at Start, and ListeningPort() then tells which.
    void SetLocalPortForTesting(quint16 port);
    quint16 ListeningPort() const;

    // The receive path after the socket read: one capture line on top, the list trimmed to 5000.
    void RecordArrival(const char* bytes, qint64 count);

signals:
    // The operator confirmed Exit: the application ends at once.
    void ExitConfirmed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildWindow();
    void InitSocket();
    void InitWindow();
    void InitDetailView();
    void SetConnectState(int state);
    void DrawDetailView();

    void btnAction_Click(int index);
    void StartAction();
    void StopAction();
    void Winsock1_ConnectionRequest();
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Close();

    void lstCapture_Click(int row);
    void lstCapture_DblClick();
    void btnDetailFloors_Click();
    void btnSaveCapture_Click();
    void btnLoadCapture_Click();
    void btnClearCapture_Click();

    // The selected capture line, or nothing when none is selected.
    std::optional<std::string_view> SelectedLine() const;
    void ReplaceCaptureList(CaptureLines lines);
    frmAccesibleFloors& Floors();
    frmDumpList& Dump();

    // The workbench around the list: counters, keys, a window that grows, places remembered.
    void BuildWorkbench();
    void ArrangeForSize();
    void ScheduleCounters();
    void DrawCounters();
    void CopySelected(int what);
    void ApplyFilter();
    void DescribeCells();
    void RestorePlaces();
    void SavePlaces();

    Prompts m_defaultPrompts;
    Prompts* m_prompts = &m_defaultPrompts;
    TcpLink* Winsock1 = nullptr; // the listener, then the connection
    int m_connectState = 0;
    QString m_formatText;
    QString m_lastFileName;
    LocalClock m_clock;
    CaptureListModel m_captureList;
    DecodeTable m_table;

    QGroupBox* Frame3 = nullptr;
    QLabel* lblRemoteIP = nullptr;
    QLabel* lblRemotePort = nullptr;
    QLabel* lblConnect = nullptr;
    QLabel* lblLocalIP = nullptr;
    QLabel* lblLocalPort = nullptr;
    QLabel* lblFormat = nullptr;
    QLabel* lblCounters = nullptr;
    QLineEdit* txtFind = nullptr;
    QComboBox* cboShow = nullptr;
    std::array<QLabel*, 4> m_headerCells{};
    std::array<QLabel*, 16> m_dataCells{};
    QTimer* m_countersTimer = nullptr;
    QSize m_arrangedFor; // the size the anchored controls were last arranged for
    CaptureListView* lstCapture = nullptr;
    QPushButton* btnDetailFloors = nullptr;
    std::array<QPushButton*, 3> btnAction{};
    std::unique_ptr<DecodeTableView> m_tableView;
    std::unique_ptr<frmAccesibleFloors> m_floors;
    std::unique_ptr<frmDumpList> m_dump;
};
