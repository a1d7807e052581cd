#include "app/LinkPanel.h"

#include "app/Twips.h"
#include "views/ControlName.h"
#include "views/frmLinkHistory.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

namespace {

struct StateLook {
    const char* caption;
    QColor colour;
};
const StateLook kStates[] = {
    {"disconnection", QColor(255, 0, 0)},
    {"connecting...", QColor(255, 0, 255)},
    {"connection", QColor(0, 0, 255)},
};

const QString kRelistenKey = QStringLiteral("link/relisten");
const QString kSilenceKey = QStringLiteral("link/silenceSeconds");
constexpr int kHistoryInTooltip = 6;

} // namespace

LinkPanel::LinkPanel(QWidget* window, LinkSession& session) : m_session(session) {
    const auto label = [window](const char* name) {
        return window->findChild<QLabel*>(QString::fromLatin1(name));
    };
    lblRemoteIP = label("lblRemoteIP");
    lblRemotePort = label("lblRemotePort");
    lblConnect = label("lblConnect");
    lblLocalIP = label("lblLocalIP");
    lblLocalPort = label("lblLocalPort");
    for (int i = 0; i < 2; ++i)
        btnAction[static_cast<std::size_t>(i)] = window->findChild<QPushButton*>(ControlName("btnAction", i));
    BuildControls(window);
    connect(&m_session, &LinkSession::StateChanged, this, &LinkPanel::ShowState);
    connect(&m_session, &LinkSession::EventAdded, this, &LinkPanel::ShowEvent);
    connect(&m_session, &LinkSession::Tick, this, &LinkPanel::ShowLastArrival);
}

LinkPanel::~LinkPanel() = default;

void LinkPanel::BuildControls(QWidget* window) {
    QSettings settings;
    chkRelisten = new QCheckBox(QStringLiteral("Listen again"), window);
    chkRelisten->setObjectName(QStringLiteral("chkRelisten"));
    chkRelisten->setGeometry(TwipsRect(9000, 2940, 1335, 255));
    chkRelisten->setToolTip(QStringLiteral("After the peer closes the connection, listen again by itself"));
    chkRelisten->setChecked(settings.value(kRelistenKey, false).toBool());
    m_session.SetListenAgain(chkRelisten->isChecked());
    connect(chkRelisten, &QCheckBox::toggled, this, [this](bool on) {
        QSettings().setValue(kRelistenKey, on);
        m_session.SetListenAgain(on);
    });

    auto* caption = new QLabel(QStringLiteral("Silence alarm"), window);
    caption->setObjectName(QStringLiteral("lblSilence"));
    caption->setGeometry(TwipsRect(9000, 3240, 1335, 210));
    spnSilence = new QSpinBox(window);
    spnSilence->setObjectName(QStringLiteral("spnSilence"));
    spnSilence->setGeometry(TwipsRect(9000, 3450, 1335, 300));
    spnSilence->setRange(0, 24 * 3600);
    spnSilence->setSuffix(QStringLiteral(" s"));
    spnSilence->setSpecialValueText(QStringLiteral("off"));
    spnSilence->setToolTip(
        QStringLiteral("Warn when the connected peer sends nothing for this long (0: off)"));
    caption->setBuddy(spnSilence);
    spnSilence->setValue(settings.value(kSilenceKey, 0).toInt());
    m_session.SetSilenceSeconds(spnSilence->value());
    connect(spnSilence, &QSpinBox::valueChanged, this, [this](int seconds) {
        QSettings().setValue(kSilenceKey, seconds);
        m_session.SetSilenceSeconds(seconds);
        ShowLastArrival();
    });

    lblLastArrival = new QLabel(window);
    lblLastArrival->setObjectName(QStringLiteral("lblLastArrival"));
    lblLastArrival->setGeometry(TwipsRect(9000, 3810, 1335, 480));
    lblLastArrival->setFrameShape(QFrame::Box);
    lblLastArrival->setAlignment(Qt::AlignCenter);
    lblLastArrival->setWordWrap(true);

    auto* btnHistory = new QPushButton(QStringLiteral("History"), window);
    btnHistory->setObjectName(QStringLiteral("btnHistory"));
    btnHistory->setGeometry(TwipsRect(9000, 4380, 1335, 375));
    connect(btnHistory, &QPushButton::clicked, this, [this, window] {
        if (!m_historyWindow)
            m_historyWindow = std::make_unique<frmLinkHistory>(window);
        const LinkHistory& history = m_session.History();
        m_historyWindow->SetText(history.AllText(), history.Dropped(), static_cast<int>(LinkHistory::kKept));
        m_historyWindow->ShowWindow();
    });
    lblConnect->setToolTip(QStringLiteral("No connection yet."));
}

void LinkPanel::Init() {
    lblRemoteIP->clear();
    lblRemotePort->clear();
    lblLocalIP->setText(TcpLink::LocalIP());
    lblLocalPort->setText(QString::number(m_session.Link().LocalPort()));
    ShowState(m_session.CurrentState());
}

bool LinkPanel::Start(TcpLink::ListenError* error) {
    lblRemoteIP->clear();
    lblRemotePort->clear();
    // Unattended runs see, and record, a second client that comes while connected.
    m_session.Link().SetWatchSecondClients(chkRelisten->isChecked());
    return m_session.Start(error);
}

void LinkPanel::ShowState(LinkSession::State state) {
    const StateLook& look = kStates[static_cast<int>(state)];
    lblConnect->setText(QString::fromLatin1(look.caption));
    QPalette palette = lblConnect->palette();
    palette.setColor(QPalette::WindowText, look.colour);
    lblConnect->setPalette(palette);
    btnAction[0]->setEnabled(state == LinkSession::State::Disconnected);
    btnAction[1]->setEnabled(state != LinkSession::State::Disconnected);
    if (state == LinkSession::State::Connected) {
        lblRemoteIP->setText(m_session.Link().RemoteHostIP());
        lblRemotePort->setText(QString::number(m_session.Link().RemotePort()));
    } else if (state == LinkSession::State::Listening) {
        lblRemoteIP->clear();
        lblRemotePort->clear();
    }
    ShowLastArrival();
}

void LinkPanel::ShowEvent(const LinkEvent& event) {
    lblConnect->setToolTip(m_session.History().Latest(kHistoryInTooltip));
    if (m_historyWindow && m_historyWindow->isVisible())
        m_historyWindow->Append(event.Text(), m_session.History().Dropped());
}

void LinkPanel::ShowLastArrival() {
    const bool silent = m_session.Silent();
    const bool connected = m_session.CurrentState() == LinkSession::State::Connected;
    const qint64 lastMs = m_session.LastArrivalMs();
    QString text;
    if (silent)
        text = QStringLiteral("\u26A0 silent for %1")
                   .arg(FormatDuration(m_session.SinceBytesMs() / 1000 * 1000));
    else if (connected && lastMs == 0)
        text = QStringLiteral("no bytes yet");
    else if (connected)
        text =
            QStringLiteral("last bytes %1 ago").arg(FormatDuration(m_session.SinceBytesMs() / 1000 * 1000));
    else if (lastMs != 0)
        text = QStringLiteral("last bytes at %1")
                   .arg(QDateTime::fromMSecsSinceEpoch(lastMs).toString(QStringLiteral("HH:mm:ss")));
    if (lblLastArrival->text() != text) {
        lblLastArrival->setText(text);
        lblLastArrival->setAccessibleDescription(text);
    }
    // A symbol and a colour: the warning is never told by colour alone.
    if (lblLastArrival->autoFillBackground() != silent) {
        QPalette palette = lblLastArrival->palette();
        palette.setColor(QPalette::Window,
                         silent ? QColor(255, 192, 0) : QGuiApplication::palette().color(QPalette::Window));
        lblLastArrival->setPalette(palette);
        lblLastArrival->setAutoFillBackground(silent);
    }
}
