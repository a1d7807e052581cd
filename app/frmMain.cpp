#include "app/frmMain.h"

#include "app/CaptureListView.h"
#include "app/DecodePanel.h"
#include "app/LinkPanel.h"
#include "app/ListControls.h"
#include "app/MainLayout.h"
#include "app/PlanPanel.h"
#include "app/WindowRecord.h"
#include "common/AppVersion.h"
#include "views/ControlName.h"
#include "views/Present.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>

namespace {

const QString kExitQuestion = QStringLiteral("Are you sure you wish to exit?");
const QString kClearQuestion = QStringLiteral("Are you sure you want to delete it?");
const QString kSaveFailed = QStringLiteral("Unable to save the file.");
const QString kLoadFailed = QStringLiteral("Unable to load the file.");
const QString kPlanFailed = QStringLiteral("Unable to load the plan.");
const QString kRestoreQuestion = QStringLiteral("Restore the lines of the last recording?");
const QString kGeometryKey = QStringLiteral("frmMain/geometry");
const QString kReportFailed = QStringLiteral("Unable to write the report.");
const QString kReportTitle = QStringLiteral("Title of the report (the site or the test):");
const QString kReportFileKey = QStringLiteral("report/file");
const QString kReportTitleKey = QStringLiteral("report/title");

} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent), m_link(this) {
    BuildWindow();
    InitSocket();
    InitWindow();
}

frmMain::~frmMain() = default;

void frmMain::SetPrompts(Prompts* prompts) {
    m_prompts = prompts ? prompts : &m_defaultPrompts;
}

const DecodeTable& frmMain::Table() const {
    return m_decodePanel->Table();
}

frmAccesibleFloors* frmMain::FloorsWindow() const {
    return m_decodePanel->FloorsWindow();
}

frmDumpList* frmMain::DumpWindow() const {
    return m_decodePanel->DumpWindow();
}

void frmMain::BuildWindow() {
    setObjectName(QStringLiteral("frmMain"));
    setMinimumSize(MainLayout::DesignSize());
    resize(MainLayout::DesignSize());
    // The layout is measured for a small Arial-like face; a wider default font would clip the
    // explanation texts and run the longer field names into their type texts.
    setFont(QFont(QStringLiteral("Arial"), 8));
    Frame3 = MainLayout::Build(this);
    lblFormat = Frame3->findChild<QLabel*>(QStringLiteral("lblFormat"));

    lstCapture = new CaptureListView(&m_capture.List(), Frame3);
    lstCapture->setObjectName(QStringLiteral("lstCapture"));
    lstCapture->setGeometry(MainLayout::CaptureListRect());
    // Byte columns line up only in a fixed-pitch face.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(8);
    lstCapture->setFont(mono);

    m_linkPanel = std::make_unique<LinkPanel>(this, m_link);
    m_decodePanel = std::make_unique<DecodePanel>(this, Frame3, m_capture.List(), *lstCapture);
    m_listControls = std::make_unique<ListControls>(this, Frame3, m_capture.List(), *lstCapture);
    m_planPanel = std::make_unique<PlanPanel>(this, m_capture.List(), *lstCapture);
    connect(lstCapture, &CaptureListView::RowSelected, m_decodePanel.get(), &DecodePanel::Select);
    connect(lstCapture, &CaptureListView::RowDoubleClicked, m_decodePanel.get(),
            &DecodePanel::ShowDumpWindow);
    connect(&m_link, &LinkSession::BytesArrived, this, [this](const QByteArray& bytes, qint64 arrivedMs) {
        RecordArrival(bytes.constData(), bytes.size(), arrivedMs);
    });
    connect(&m_link, &LinkSession::StateChanged, this, [this](LinkSession::State state) {
        if (state == LinkSession::State::Connected)
            m_capture.StartConnection();
    });
    connect(&m_link, &LinkSession::ListenAgainFailed, this, &frmMain::WarnListenFailed);

    for (int i = 0; i < 3; ++i)
        connect(findChild<QPushButton*>(ControlName("btnAction", i)), &QPushButton::clicked, this,
                [this, i] { btnAction_Click(i); });
    const struct {
        const char* name;
        void (frmMain::*click)();
    } buttons[] = {{"btnSaveCapture", &frmMain::btnSaveCapture_Click},
                   {"btnLoadCapture", &frmMain::btnLoadCapture_Click},
                   {"btnClearCapture", &frmMain::btnClearCapture_Click},
                   {"btnPlan", &frmMain::btnPlan_Click},
                   {"btnReport", &frmMain::btnReport_Click}};
    for (const auto& button : buttons)
        connect(findChild<QPushButton*>(QString::fromLatin1(button.name)), &QPushButton::clicked, this,
                button.click);
    BuildKeys();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    restoreGeometry(QSettings().value(kGeometryKey).toByteArray());
}

// Keys reach the buttons without changing their captions.
void frmMain::BuildKeys() {
    const struct {
        QKeySequence key;
        const char* button;
    } keys[] = {{QKeySequence::Save, "btnSaveCapture"},
                {QKeySequence::Open, "btnLoadCapture"},
                {QKeySequence(Qt::Key_F5), "btnAction_0"},
                {QKeySequence(Qt::SHIFT | Qt::Key_F5), "btnAction_1"}};
    for (const auto& [key, name] : keys) {
        auto* button = findChild<QPushButton*>(QString::fromLatin1(name));
        connect(new QShortcut(key, this), &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    }
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize grown = MainLayout::Arrange(this, Frame3, lstCapture, m_arrangedFor);
    if (grown.width() != 0)
        m_listControls->FollowWidth(grown.width());
}

void frmMain::InitSocket() {
    Winsock1->SetLocalPort(kLocalPort);
}

void frmMain::SetLocalPortForTesting(quint16 port) {
    Winsock1->SetLocalPort(port);
}

quint16 frmMain::ListeningPort() const {
    return Winsock1->LocalPort();
}

void frmMain::InitWindow() {
    setWindowTitle(QStringLiteral("%1 V%2.%3%4")
                       .arg(kAppTitle)
                       .arg(AppVersion::Major)
                       .arg(AppVersion::Minor)
                       .arg(AppVersion::Revision));
    m_linkPanel->Init();
    m_capture.List().Replace({});
    InitDetailView();
}

void frmMain::InitDetailView() {
    m_decodePanel->Reset();
    m_capture.RefreshFormatText();
    lblFormat->setText(m_capture.FormatText());
    lblFormat->adjustSize();
}

void frmMain::btnAction_Click(int index) {
    switch (index) {
    case 0: {
        TcpLink::ListenError error;
        if (!m_linkPanel->Start(&error))
            WarnListenFailed(error);
        break;
    }
    case 1:
        m_link.Stop();
        break;
    case 2:
        close(); // the same question as the title bar's close
        break;
    default:
        break;
    }
}

void frmMain::WarnListenFailed(const TcpLink::ListenError& error) {
    m_prompts->Warn(this, QStringLiteral("Unable to listen on port %1.").arg(kLocalPort), error.reason);
}

void frmMain::RecordArrival(const char* bytes, qint64 count, qint64 arrivedMs) {
    m_capture.Record(bytes, count, arrivedMs);
}

void frmMain::btnSaveCapture_Click() {
    const QString name = m_prompts->ChooseFile(this, true, m_capture.LastFileName());
    if (name.isEmpty())
        return;
    QString reason;
    if (!m_capture.Save(name, &reason))
        m_prompts->Warn(this, kSaveFailed, reason);
}

void frmMain::btnLoadCapture_Click() {
    const QString name = m_prompts->ChooseFile(this, false, m_capture.LastFileName());
    QString reason;
    // Nothing of a file that fails reaches the list: it is read whole before the list is touched.
    if (!name.isEmpty() && m_capture.Load(name, &reason) == CaptureSession::LoadResult::Failed) {
        m_prompts->Warn(this, kLoadFailed, reason);
        return;
    }
    InitDetailView();
}

void frmMain::btnClearCapture_Click() {
    const int count = m_capture.List().Count();
    if (count == 0)
        return;
    const QString every = lstCapture->Filtered()
                              ? QStringLiteral("All %1 lines are deleted, not only the %2 shown.")
                                    .arg(count)
                                    .arg(lstCapture->ShownCount())
                              : QString();
    const QString unsaved = UnsavedText();
    const QString details = every.isEmpty() ? unsaved : unsaved.isEmpty() ? every : every + u'\n' + unsaved;
    if (!m_prompts->Ask(this, kClearQuestion, details))
        return;
    m_capture.Clear();
    InitDetailView();
}

void frmMain::btnPlan_Click() {
    const QString name = m_prompts->ChooseFile(this, false, m_planPanel->LastFileName());
    QString reason;
    if (!name.isEmpty() && !m_planPanel->Load(name, &reason))
        m_prompts->Warn(this, kPlanFailed, reason);
}

void frmMain::btnReport_Click() {
    QSettings settings;
    const QString name = m_prompts->ChooseReportFile(this, settings.value(kReportFileKey).toString());
    if (name.isEmpty())
        return;
    const std::optional<QString> title =
        m_prompts->AskText(this, kReportTitle, settings.value(kReportTitleKey).toString());
    if (!title)
        return;
    settings.setValue(kReportFileKey, name);
    settings.setValue(kReportTitleKey, *title);
    QString reason;
    if (!WindowRecord::Write(
            name,
            {m_capture.List(), m_link.History(), m_capture.FormatText(), *title, m_planPanel->Expectations()},
            &reason))
        m_prompts->Warn(this, kReportFailed, reason);
}

QString frmMain::UnsavedText() const {
    const qint64 unsaved = m_capture.Recovery().Unsaved();
    if (unsaved == 0)
        return {};
    return unsaved == 1 ? QStringLiteral("1 line has not been saved.")
                        : QStringLiteral("%1 lines have not been saved.").arg(unsaved);
}

void frmMain::OfferRecovery() {
    for (const RecoveryJournal::Leftover& leftover : m_capture.Recovery().FindLeftovers()) {
        const QString count = leftover.lines == 1
                                  ? QStringLiteral("1 line was recorded")
                                  : QStringLiteral("%1 lines were recorded").arg(leftover.lines);
        if (m_prompts->Ask(this, kRestoreQuestion,
                           count + QStringLiteral(" and not saved before the tool last ended unexpectedly.")))
            m_capture.Restore(leftover);
        else
            RecoveryJournal::Discard(leftover);
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_prompts->Ask(this, kExitQuestion, UnsavedText())) {
        event->ignore();
        return;
    }
    event->accept();
    m_capture.Recovery().Retire();
    QSettings().setValue(kGeometryKey, saveGeometry());
    m_decodePanel->RememberPlaces();
    m_planPanel->RememberPlace();
    m_link.Link().Close();
    m_decodePanel->HideWindows();
    m_planPanel->HideWindow();
    emit ExitConfirmed();
}
