#pragma once

#include "app/CaptureListModel.h"
#include "app/Prompts.h"
#include "decode/DecodeTable.h"
#include "link/LinkHistory.h"
#include "link/LocalClock.h"
#include "link/RecoveryJournal.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CaptureListView;
class DecodeTableView;
class LineMessages;
class QCheckBox;
class QGroupBox;
class QComboBox;
class QSpinBox;
class frmLinkHistory;
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

    // The receive path after the socket read: the read's capture lines on top (a read of more than 256
    // bytes is several lines), the list trimmed to 5000 after each.
    void RecordArrival(const char* bytes, qint64 count, qint64 arrivedMs = 0);
    const LinkHistory& History() const { return m_history; }

    // At start-up: offers back the lines of any window that ended without saving them (a crash, a kill,
    // a power cut). Called once the window is shown, so the question has a window to belong to.
    void OfferRecovery();
    const RecoveryJournal& Recovery() const { return m_recovery; }

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
    // "N lines have not been saved." for the questions that would lose them, or nothing.
    QString UnsavedText() const;
    // The controls for unattended runs: listen again, the silence alarm, the link's history.
    void BuildLinkControls();
    void AddHistory(LinkEvent::Kind kind, qint64 durationMs = -1, const QString& peer = {});
    void CheckSilence();
    void ShowLastArrival();
    void ListenAgain();
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

    // The messages within and across lines: the label and buttons above the table, the summary under it.
    void BuildMessageControls();
    LineMessages MessagesOf(int row) const;
    void ShowMessageStep(int step);
    void ShowStepControls(const LineMessages& messages);
    // "12/06/2026 8:01:03 PM, gate 0001" and, after the first step, which message: for the detail windows.
    QString ShownLineText(int row) const;

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
    LinkHistory m_history;
    QString m_peerName;           // of the connection in progress, for the history
    QElapsedTimer m_connectedFor; // since the connection was accepted
    QElapsedTimer m_sinceBytes;   // since the last bytes arrived (or the connection, before any)
    qint64 m_lastArrivalMs = 0;   // when the last bytes arrived, ms since the epoch; 0 before any
    bool m_silent = false;        // the silence alarm is on
    QTimer m_silenceTick;
    RecoveryJournal m_recovery;
    DecodeTable m_table;
    int m_step = 0;          // the message of the selected line the table shows; 0 the whole line
    std::string m_stepText;  // its bytes, after the first step
    std::string m_stepLabel; // what lblMessage says of it

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
    QCheckBox* chkRelisten = nullptr;
    QSpinBox* spnSilence = nullptr;
    QLabel* lblLastArrival = nullptr;
    std::unique_ptr<frmLinkHistory> m_historyWindow;
    QLabel* lblSummary = nullptr;
    QLabel* lblMessage = nullptr;
    QPushButton* btnPrevMessage = nullptr;
    QPushButton* btnNextMessage = nullptr;
    std::array<QPushButton*, 3> btnAction{};
    std::unique_ptr<DecodeTableView> m_tableView;
    std::unique_ptr<frmAccesibleFloors> m_floors;
    std::unique_ptr<frmDumpList> m_dump;
};
