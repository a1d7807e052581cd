#pragma once

#include "link/LinkSession.h"

#include <QObject>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QWidget;
class frmLinkHistory;

// The link's side of the window: the peer's and our address, the connect state, Start and Stop as the
// state allows them, listen again, the silence alarm, the time of the last bytes and the history
// window. It draws the session's changes; the two settings are remembered between runs.
class LinkPanel : public QObject {
    Q_OBJECT

public:
    LinkPanel(QWidget* window, LinkSession& session);
    ~LinkPanel() override;

    // Clears the peer's address and shows ours and the state.
    void Init();
    // Turns the session's settings to the controls' and listens; false, with the reason, on failure.
    bool Start(TcpLink::ListenError* error);

private:
    void BuildControls(QWidget* window);
    void ShowState(LinkSession::State state);
    void ShowEvent(const LinkEvent& event);
    void ShowLastArrival();

    LinkSession& m_session;
    QLabel* lblRemoteIP = nullptr;
    QLabel* lblRemotePort = nullptr;
    QLabel* lblConnect = nullptr;
    QLabel* lblLocalIP = nullptr;
    QLabel* lblLocalPort = nullptr;
    std::array<QPushButton*, 2> btnAction{}; // Start, Stop
    QCheckBox* chkRelisten = nullptr;
    QSpinBox* spnSilence = nullptr;
    QLabel* lblLastArrival = nullptr;
    std::unique_ptr<frmLinkHistory> m_historyWindow;
};
