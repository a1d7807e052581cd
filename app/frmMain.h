#pragma once

#include "app/CaptureSession.h"
#include "app/Prompts.h"
#include "decode/DecodeTable.h"
#include "link/LinkSession.h"

#include <QSize>
#include <QWidget>

#include <memory>

class CaptureListView;
class DecodePanel;
class LinkPanel;
class ListControls;
class PlanPanel;
class QGroupBox;
class QLabel;
class QPushButton;
class TcpLink;
class frmAccesibleFloors;
class frmDumpList;

// The main window: the link to the access control system, the capture list and the decode table.
// It wires its parts together and asks the operator's questions; the parts do the work.
// Constructing it runs the window's load step (InitSocket, InitWindow); nothing listens until Start.
class frmMain : public QWidget {
    Q_OBJECT

public:
    static constexpr quint16 kLocalPort = 60173;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Tests answer the questions and dialogs through their own Prompts; nullptr restores the real ones.
    void SetPrompts(Prompts* prompts);

    int ConnectState() const { return static_cast<int>(m_link.CurrentState()); }
    const QString& FormatText() const { return m_capture.FormatText(); }
    const DecodeTable& Table() const;
    const CaptureListModel& CaptureList() const { return m_capture.List(); }
    frmAccesibleFloors* FloorsWindow() const;
    frmDumpList* DumpWindow() const;

    // For benchmarks and tests that must leave the operator's port alone: 0 lets the system choose
    // one at Start, and ListeningPort() then tells which.
    void SetLocalPortForTesting(quint16 port);
    quint16 ListeningPort() const;

    // The receive path after the socket read: the read's capture lines on top (a read of more than 256
    // bytes is several lines), the list trimmed to 5000 after each.
    void RecordArrival(const char* bytes, qint64 count, qint64 arrivedMs = 0);
    const LinkHistory& History() const { return m_link.History(); }

    // At start-up: offers back the lines of any window that ended without saving them (a crash, a kill,
    // a power cut). Called once the window is shown, so the question has a window to belong to.
    void OfferRecovery();
    const RecoveryJournal& Recovery() const { return m_capture.Recovery(); }

signals:
    // The operator confirmed Exit: the application ends at once.
    void ExitConfirmed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildWindow();
    void BuildKeys();
    void InitSocket();
    void InitWindow();
    void InitDetailView();
    // "N lines have not been saved." for the questions that would lose them, or nothing.
    QString UnsavedText() const;
    void WarnListenFailed(const TcpLink::ListenError& error);

    void btnAction_Click(int index);
    void btnSaveCapture_Click();
    void btnLoadCapture_Click();
    void btnClearCapture_Click();
    void btnPlan_Click();
    // The commissioning record of the whole list and the link history, as HTML or PDF.
    void btnReport_Click();

    Prompts m_defaultPrompts;
    Prompts* m_prompts = &m_defaultPrompts;
    LinkSession m_link;
    TcpLink* Winsock1 = &m_link.Link(); // the listener, then the connection
    CaptureSession m_capture;
    QSize m_arrangedFor; // the size the anchored controls were last arranged for

    QGroupBox* Frame3 = nullptr;
    QLabel* lblFormat = nullptr;
    CaptureListView* lstCapture = nullptr;
    std::unique_ptr<LinkPanel> m_linkPanel;
    std::unique_ptr<DecodePanel> m_decodePanel;
    std::unique_ptr<ListControls> m_listControls;
    std::unique_ptr<PlanPanel> m_planPanel;
};
