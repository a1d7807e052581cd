#include "app/frmMain.h"

#include "app/CaptureListView.h"
#include "app/DecodeTableView.h"
#include "app/Twips.h"
#include "common/AppVersion.h"
#include "common/modCommon.h"
#include "decode/LineMessages.h"
#include "link/CaptureFileIO.h"
#include "link/PacketCaptureFile.h"
#include "link/TcpLink.h"
#include "report/LineDecoder.h"
#include "views/CachedGroupBox.h"
#include "views/ControlName.h"
#include "views/Present.h"
#include "views/frmAccesibleFloors.h"
#include "views/frmDumpList.h"
#include "views/frmLinkHistory.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>

namespace {

enum class Kind { Label, Boxed, Button };

// The fixed controls of the window, in twips; parent is the frame's index in the frames table, or -1.
struct Control {
    const char* name;
    Kind kind;
    int parent;
    const char* caption;
    int left, top, width, height;
};

struct Frame {
    const char* name;
    const char* caption;
    int left, top, width, height;
};

constexpr Frame kFrames[] = {
    {"Frame1", "Access control system", 240, 240, 3615, 855},
    {"Frame4", "Status", 4320, 240, 1815, 855},
    {"Frame2", "T-ARC", 6600, 240, 3735, 855},
    {"Frame3", "Received data", 240, 1200, 8655, 5295},
};
constexpr int kFrame3 = 3;

constexpr Control kControls[] = {
    {"Label5", Kind::Label, 0, "IP", 240, 360, 375, 255},
    {"lblRemoteIP", Kind::Boxed, 0, "", 600, 360, 1335, 255},
    {"Label24", Kind::Label, 0, "Port", 2160, 360, 375, 255},
    {"lblRemotePort", Kind::Boxed, 0, "", 2640, 360, 615, 255},
    {"lblConnect", Kind::Boxed, 1, "", 240, 360, 1335, 255},
    {"Label3", Kind::Label, 2, "IP", 240, 360, 375, 255},
    {"lblLocalIP", Kind::Boxed, 2, "", 600, 360, 1335, 255},
    {"Label4", Kind::Label, 2, "Port", 2160, 360, 495, 255},
    {"lblLocalPort", Kind::Boxed, 2, "", 2640, 360, 615, 255},
    {"Label21", Kind::Label, kFrame3, "Captured data", 360, 240, 2895, 375},
    {"lblFormat", Kind::Label, kFrame3, "", 360, 480, 0, 180},
    {"btnDetailFloors", Kind::Button, kFrame3, "Details", 2760, 3920, 1815, 300},
    {"btnClearCapture", Kind::Button, -1, "Clear Capt.", 9000, 1440, 1335, 375},
    {"btnSaveCapture", Kind::Button, -1, "Save Capt.", 9000, 1920, 1335, 375},
    {"btnLoadCapture", Kind::Button, -1, "Load Capt.", 9000, 2400, 1335, 375},
    {"btnAction_0", Kind::Button, -1, "Start", 9120, 4920, 1215, 375},
    {"btnAction_1", Kind::Button, -1, "Stop", 9120, 5400, 1215, 375},
    {"btnAction_2", Kind::Button, -1, "Exit", 9120, 6120, 1215, 375},
    {"Label1", Kind::Label, -1, "T-ARC Emulator \xC2\xA9 the T-ARC Emulator developers", 2640, 6600, 4860,
     195},
};

constexpr QRect kCaptureListRect = TwipsRect(360, 720, 8055, 840);
constexpr QRect kCountersRect = TwipsRect(360, 1590, 8055, 255);
constexpr QRect kFindRect = TwipsRect(4080, 300, 2640, 330);
constexpr QRect kShowRect = TwipsRect(6840, 300, 1575, 330);
constexpr QSize kDesignSize(Twips(10575), Twips(6900));
// The counters line follows arrivals at the screen's pace, like the list.
constexpr int kCountersMs = 16;

struct StateLook {
    const char* caption;
    QColor colour;
};
const StateLook kStates[] = {
    {"disconnection", QColor(255, 0, 0)},
    {"connecting...", QColor(255, 0, 255)},
    {"connection", QColor(0, 0, 255)},
};

const QString kExitQuestion = QStringLiteral("Are you sure you wish to exit?");
const QString kClearQuestion = QStringLiteral("Are you sure you want to delete it?");
const QString kSaveFailed = QStringLiteral("Unable to save the file.");
const QString kLoadFailed = QStringLiteral("Unable to load the file.");
const QString kRelistenKey = QStringLiteral("link/relisten");
const QString kSilenceKey = QStringLiteral("link/silenceSeconds");
constexpr int kSilenceTickMs = 250;
constexpr int kHistoryInTooltip = 6;
const QString kRestoreQuestion = QStringLiteral("Restore the lines of the last recording?");

} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent), Winsock1(new TcpLink(this)) {
    BuildWindow();
    connect(Winsock1, &TcpLink::ConnectionRequest, this, &frmMain::Winsock1_ConnectionRequest);
    connect(Winsock1, &TcpLink::DataArrival, this, &frmMain::Winsock1_DataArrival);
    connect(Winsock1, &TcpLink::PeerClose, this, &frmMain::Winsock1_Close);
    connect(Winsock1, &TcpLink::Refused, this,
            [this](const QString& peer) { AddHistory(LinkEvent::Kind::Refused, -1, peer); });
    InitSocket();
    InitWindow();
}

frmMain::~frmMain() = default;

void frmMain::SetPrompts(Prompts* prompts) {
    m_prompts = prompts ? prompts : &m_defaultPrompts;
}

void frmMain::BuildWindow() {
    setObjectName(QStringLiteral("frmMain"));
    setMinimumSize(kDesignSize);
    resize(kDesignSize);
    // The layout is measured for a small Arial-like face; a wider default font would clip the
    // explanation texts and run the longer field names into their type texts.
    setFont(QFont(QStringLiteral("Arial"), 8));

    std::array<QGroupBox*, std::size(kFrames)> frames{};
    for (std::size_t i = 0; i < std::size(kFrames); ++i) {
        const Frame& f = kFrames[i];
        frames[i] = new CachedGroupBox(QString::fromLatin1(f.caption), this);
        frames[i]->setObjectName(QString::fromLatin1(f.name));
        frames[i]->setGeometry(TwipsRect(f.left, f.top, f.width, f.height));
    }
    Frame3 = frames[kFrame3];

    const QFont titleFont(QStringLiteral("Arial"), 9, QFont::Bold);
    for (const Control& c : kControls) {
        QWidget* parent =
            c.parent < 0 ? static_cast<QWidget*>(this) : frames[static_cast<std::size_t>(c.parent)];
        const QString caption = QString::fromUtf8(c.caption);
        QWidget* widget = nullptr;
        if (c.kind == Kind::Button) {
            widget = new QPushButton(caption, parent);
        } else {
            auto* label = new QLabel(caption, parent);
            if (c.kind == Kind::Boxed) {
                label->setFrameShape(QFrame::Box);
                label->setAlignment(Qt::AlignCenter);
            }
            widget = label;
        }
        widget->setObjectName(QString::fromLatin1(c.name));
        widget->setGeometry(TwipsRect(c.left, c.top, c.width, c.height));
    }
    lblRemoteIP = findChild<QLabel*>(QStringLiteral("lblRemoteIP"));
    lblRemotePort = findChild<QLabel*>(QStringLiteral("lblRemotePort"));
    lblConnect = findChild<QLabel*>(QStringLiteral("lblConnect"));
    lblLocalIP = findChild<QLabel*>(QStringLiteral("lblLocalIP"));
    lblLocalPort = findChild<QLabel*>(QStringLiteral("lblLocalPort"));
    lblFormat = findChild<QLabel*>(QStringLiteral("lblFormat"));
    btnDetailFloors = findChild<QPushButton*>(QStringLiteral("btnDetailFloors"));
    for (int i = 0; i < 3; ++i)
        btnAction[static_cast<std::size_t>(i)] = findChild<QPushButton*>(ControlName("btnAction", i));
    lblConnect->setFont(titleFont);
    auto* label21 = findChild<QLabel*>(QStringLiteral("Label21"));
    label21->setFont(titleFont);
    label21->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    findChild<QLabel*>(QStringLiteral("Label1"))->adjustSize();
    btnDetailFloors->hide();

    lstCapture = new CaptureListView(&m_captureList, Frame3);
    lstCapture->setObjectName(QStringLiteral("lstCapture"));
    lstCapture->setGeometry(kCaptureListRect);
    connect(lstCapture, &CaptureListView::RowSelected, this, &frmMain::lstCapture_Click);
    connect(lstCapture, &CaptureListView::RowDoubleClicked, this, &frmMain::lstCapture_DblClick);

    m_tableView = std::make_unique<DecodeTableView>(Frame3);
    BuildLinkControls();
    BuildMessageControls();

    for (int i = 0; i < 3; ++i)
        connect(btnAction[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { btnAction_Click(i); });
    connect(btnDetailFloors, &QPushButton::clicked, this, &frmMain::btnDetailFloors_Click);
    connect(findChild<QPushButton*>(QStringLiteral("btnSaveCapture")), &QPushButton::clicked, this,
            &frmMain::btnSaveCapture_Click);
    connect(findChild<QPushButton*>(QStringLiteral("btnLoadCapture")), &QPushButton::clicked, this,
            &frmMain::btnLoadCapture_Click);
    connect(findChild<QPushButton*>(QStringLiteral("btnClearCapture")), &QPushButton::clicked, this,
            &frmMain::btnClearCapture_Click);

    BuildWorkbench();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    RestorePlaces();
}

void frmMain::BuildWorkbench() {
    // Byte columns line up only in a fixed-pitch face.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(8);
    lstCapture->setFont(mono);

    lblCounters = new QLabel(Frame3);
    lblCounters->setObjectName(QStringLiteral("lblCounters"));
    lblCounters->setGeometry(kCountersRect);
    lblCounters->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_countersTimer = new QTimer(this);
    m_countersTimer->setSingleShot(true);
    m_countersTimer->setInterval(kCountersMs);
    connect(m_countersTimer, &QTimer::timeout, this, &frmMain::DrawCounters);
    connect(&m_captureList, &CaptureListModel::MarksChanged, this, &frmMain::ScheduleCounters);
    DrawCounters();

    // Find and filter: the list shows the lines that hold the text and pass the choice.
    txtFind = new QLineEdit(Frame3);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setGeometry(kFindRect);
    txtFind->setPlaceholderText(QStringLiteral("Find (Ctrl+F): date, time or bytes"));
    txtFind->setClearButtonEnabled(true);
    cboShow = new QComboBox(Frame3);
    cboShow->setObjectName(QStringLiteral("cboShow"));
    cboShow->setGeometry(kShowRect);
    cboShow->addItems({QStringLiteral("All lines"), QStringLiteral("Invalid lines"),
                       QStringLiteral("0x10 lines"), QStringLiteral("0x11 lines"),
                       QStringLiteral("0x20 lines"), QStringLiteral("Other lines")});
    connect(txtFind, &QLineEdit::textChanged, this, &frmMain::ApplyFilter);
    connect(cboShow, &QComboBox::currentIndexChanged, this, &frmMain::ApplyFilter);
    auto* clearFind = new QShortcut(QKeySequence(Qt::Key_Escape), txtFind);
    clearFind->setContext(Qt::WidgetShortcut);
    connect(clearFind, &QShortcut::activated, txtFind, &QLineEdit::clear);

    // A filter only hides lines: these two still act on all of them.
    findChild<QPushButton*>(QStringLiteral("btnSaveCapture"))
        ->setToolTip(QStringLiteral("Saves every line of the list, also those a filter hides"));
    findChild<QPushButton*>(QStringLiteral("btnClearCapture"))
        ->setToolTip(QStringLiteral("Deletes every line of the list, also those a filter hides"));

    // Keys reach the buttons without changing their captions.
    const auto key = [this](const QKeySequence& sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    const auto press = [this](const char* name) {
        return [this, name] {
            if (auto* button = findChild<QPushButton*>(QString::fromLatin1(name)); button->isEnabled())
                button->click();
        };
    };
    key(QKeySequence::Save, press("btnSaveCapture"));
    key(QKeySequence::Open, press("btnLoadCapture"));
    key(QKeySequence(Qt::Key_F5), press("btnAction_0"));
    key(QKeySequence(Qt::SHIFT | Qt::Key_F5), press("btnAction_1"));
    // Copy out of the list: the line, its bytes, or the decoded table as `decode` prints it.
    const struct {
        const char* name;
        const char* text;
    } copies[] = {{"actCopyLine", "Copy line"},
                  {"actCopyBytes", "Copy bytes only"},
                  {"actCopyTable", "Copy decoded table"}};
    for (int i = 0; i < 3; ++i) {
        auto* action = new QAction(QString::fromLatin1(copies[i].text), lstCapture);
        action->setObjectName(QString::fromLatin1(copies[i].name));
        if (i == 0) {
            action->setShortcut(QKeySequence::Copy);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        connect(action, &QAction::triggered, this, [this, i] { CopySelected(i); });
        lstCapture->addAction(action);
    }
    lstCapture->setContextMenuPolicy(Qt::ActionsContextMenu);
    key(QKeySequence::Find, [this] {
        txtFind->setFocus(Qt::ShortcutFocusReason);
        txtFind->selectAll();
    });
    key(QKeySequence(Qt::Key_F8), [this] { lstCapture->SelectNextInvalid(1); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F8), [this] { lstCapture->SelectNextInvalid(-1); });
}

void frmMain::CopySelected(int what) {
    const std::optional<std::string_view> line = SelectedLine();
    if (!line)
        return;
    std::string text;
    switch (what) {
    case 0:
        text = *line;
        break;
    case 1:
        text = modCommon::ByteText(*line);
        break;
    default: {
        LineDecoder decoder(DecodeOptions{});
        decoder.Decode("capture list", static_cast<std::size_t>(lstCapture->SelectedRow()) + 1, *line, text);
        break;
    }
    }
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

// Red is not the only cue: a screen reader hears each value cell's field, whether it is wrong or missing,
// and then the cell's note (its value in words, the reason when red).
void frmMain::DescribeCells() {
    if (!m_headerCells[0]) {
        for (int i = 0; i < 4; ++i)
            m_headerCells[static_cast<std::size_t>(i)] = findChild<QLabel*>(ControlName("lblHeader", i));
        for (int i = 0; i < 16; ++i)
            m_dataCells[static_cast<std::size_t>(i)] = findChild<QLabel*>(ControlName("lblData", i));
    }
    const auto describe = [](QLabel* cell, std::string_view field, const Label& label) {
        if (!cell || !label.visible)
            return;
        const char* verdict = !label.red ? "valid" : label.caption.empty() ? "missing" : "invalid";
        QString text = QStringLiteral("%1: %2").arg(
            QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size())), QLatin1String(verdict));
        if (!label.note.empty())
            text += QStringLiteral(" \u2014 ") + QString::fromStdString(label.note);
        cell->setAccessibleDescription(text);
    };
    for (int i = 0; i < 4; ++i)
        describe(m_headerCells[static_cast<std::size_t>(i)],
                 MessageFormat::kHeaderRowNames[static_cast<std::size_t>(HeaderCellRow(i) - 1)],
                 m_table.lblHeader[static_cast<std::size_t>(i)]);
    const auto names = DataNameLabels(m_table);
    for (int i = 0; i < 16; ++i)
        describe(m_dataCells[static_cast<std::size_t>(i)],
                 names[static_cast<std::size_t>(DataCellRow(i) - 1)]->caption,
                 m_table.lblData[static_cast<std::size_t>(i)]);
}

void frmMain::ApplyFilter() {
    lstCapture->SetFilter(txtFind->text().trimmed().toStdString(),
                          static_cast<CaptureFilter::Show>(std::max(0, cboShow->currentIndex())));
    DrawCounters();
}

void frmMain::ScheduleCounters() {
    if (!m_countersTimer->isActive())
        m_countersTimer->start();
}

void frmMain::DrawCounters() {
    const CaptureListModel::Counts& counts = m_captureList.MarkCounts();
    const auto kind = [&](LineKind k) { return counts.kinds[static_cast<std::size_t>(k)]; };
    const auto command = [&](LineCommand c) { return counts.commands[static_cast<std::size_t>(c)]; };
    QString text =
        QStringLiteral("%1 lines, %2 invalid; 0x10: %3, 0x11: %4, 0x20: %5, other: %6")
            .arg(lstCapture->Filtered()
                     ? QStringLiteral("%1 of %2").arg(lstCapture->ShownCount()).arg(m_captureList.Count())
                     : QString::number(m_captureList.Count()))
            .arg(kind(LineKind::Invalid))
            .arg(command(LineCommand::C10))
            .arg(command(LineCommand::C11))
            .arg(command(LineCommand::C20))
            .arg(command(LineCommand::Other));
    if (counts.unknown > 0)
        text += QStringLiteral(" (%1 lines still to check)").arg(counts.unknown);
    lblCounters->setText(text);
}

// The twips layout is the design at the minimum size; a larger window gives the capture list the extra
// room and moves whatever lies right of or below it by the same amount.
void frmMain::ArrangeForSize() {
    const QSize now = size().expandedTo(kDesignSize);
    if (!m_arrangedFor.isValid())
        m_arrangedFor = kDesignSize;
    const int dw = now.width() - m_arrangedFor.width();
    const int dh = now.height() - m_arrangedFor.height();
    if (dw == 0 && dh == 0)
        return;
    const int frameRight = Frame3->geometry().right();
    const int listBottom = lstCapture->geometry().bottom();
    const int frameBottom = Frame3->geometry().bottom();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == Frame3 || child->isWindow())
            continue;
        const QPoint at = child->pos();
        child->move(at.x() + (at.x() > frameRight ? dw : 0), at.y() + (at.y() > frameBottom ? dh : 0));
    }
    txtFind->move(txtFind->x() + dw, txtFind->y());
    cboShow->move(cboShow->x() + dw, cboShow->y());
    for (QWidget* child : Frame3->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == lstCapture)
            continue;
        if (child->y() > listBottom)
            child->move(child->x(), child->y() + dh);
    }
    Frame3->resize(Frame3->width() + dw, Frame3->height() + dh);
    lstCapture->resize(lstCapture->width() + dw, lstCapture->height() + dh);
    lblCounters->resize(lblCounters->width() + dw, lblCounters->height());
    m_arrangedFor = now;
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ArrangeForSize();
}

void frmMain::RestorePlaces() {
    QSettings settings;
    restoreGeometry(settings.value(QStringLiteral("frmMain/geometry")).toByteArray());
}

void frmMain::SavePlaces() {
    QSettings settings;
    settings.setValue(QStringLiteral("frmMain/geometry"), saveGeometry());
    if (m_floors)
        RememberPlace(m_floors.get());
    if (m_dump)
        RememberPlace(m_dump.get());
}

void frmMain::BuildLinkControls() {
    QSettings settings;
    chkRelisten = new QCheckBox(QStringLiteral("Listen again"), this);
    chkRelisten->setObjectName(QStringLiteral("chkRelisten"));
    chkRelisten->setGeometry(TwipsRect(9000, 2940, 1335, 255));
    chkRelisten->setToolTip(QStringLiteral("After the peer closes the connection, listen again by itself"));
    chkRelisten->setChecked(settings.value(kRelistenKey, false).toBool());
    connect(chkRelisten, &QCheckBox::toggled, this, [](bool on) { QSettings().setValue(kRelistenKey, on); });

    auto* caption = new QLabel(QStringLiteral("Silence alarm"), this);
    caption->setObjectName(QStringLiteral("lblSilence"));
    caption->setGeometry(TwipsRect(9000, 3240, 1335, 210));
    spnSilence = new QSpinBox(this);
    spnSilence->setObjectName(QStringLiteral("spnSilence"));
    spnSilence->setGeometry(TwipsRect(9000, 3450, 1335, 300));
    spnSilence->setRange(0, 24 * 3600);
    spnSilence->setSuffix(QStringLiteral(" s"));
    spnSilence->setSpecialValueText(QStringLiteral("off"));
    spnSilence->setToolTip(
        QStringLiteral("Warn when the connected peer sends nothing for this long (0: off)"));
    caption->setBuddy(spnSilence);
    spnSilence->setValue(settings.value(kSilenceKey, 0).toInt());
    connect(spnSilence, &QSpinBox::valueChanged, this, [this](int seconds) {
        QSettings().setValue(kSilenceKey, seconds);
        CheckSilence();
    });

    lblLastArrival = new QLabel(this);
    lblLastArrival->setObjectName(QStringLiteral("lblLastArrival"));
    lblLastArrival->setGeometry(TwipsRect(9000, 3810, 1335, 480));
    lblLastArrival->setFrameShape(QFrame::Box);
    lblLastArrival->setAlignment(Qt::AlignCenter);
    lblLastArrival->setWordWrap(true);

    auto* btnHistory = new QPushButton(QStringLiteral("History"), this);
    btnHistory->setObjectName(QStringLiteral("btnHistory"));
    btnHistory->setGeometry(TwipsRect(9000, 4380, 1335, 375));
    connect(btnHistory, &QPushButton::clicked, this, [this] {
        if (!m_historyWindow)
            m_historyWindow = std::make_unique<frmLinkHistory>(this);
        m_historyWindow->SetText(m_history.AllText());
        m_historyWindow->ShowWindow();
    });

    m_silenceTick.setInterval(kSilenceTickMs);
    connect(&m_silenceTick, &QTimer::timeout, this, &frmMain::CheckSilence);
    lblConnect->setToolTip(QStringLiteral("No connection yet."));
}

void frmMain::AddHistory(LinkEvent::Kind kind, qint64 durationMs, const QString& peer) {
    m_history.Add({QDateTime::currentDateTime(), kind, peer.isEmpty() ? m_peerName : peer, durationMs});
    lblConnect->setToolTip(m_history.Latest(kHistoryInTooltip));
    if (m_historyWindow && m_historyWindow->isVisible())
        m_historyWindow->SetText(m_history.AllText());
}

// The alarm goes on once the peer has been quiet for longer than the limit; the next bytes clear it.
void frmMain::CheckSilence() {
    const int limit = spnSilence->value();
    if (m_connectState == 2 && limit > 0 && !m_silent && m_sinceBytes.elapsed() > limit * qint64{1000}) {
        m_silent = true;
        AddHistory(LinkEvent::Kind::Silent, m_sinceBytes.elapsed());
    }
    ShowLastArrival();
}

void frmMain::ShowLastArrival() {
    QString text;
    if (m_silent)
        text =
            QStringLiteral("\u26A0 silent for %1").arg(FormatDuration(m_sinceBytes.elapsed() / 1000 * 1000));
    else if (m_connectState == 2 && m_lastArrivalMs == 0)
        text = QStringLiteral("no bytes yet");
    else if (m_connectState == 2)
        text = QStringLiteral("last bytes %1 ago").arg(FormatDuration(m_sinceBytes.elapsed() / 1000 * 1000));
    else if (m_lastArrivalMs != 0)
        text = QStringLiteral("last bytes at %1")
                   .arg(QDateTime::fromMSecsSinceEpoch(m_lastArrivalMs).toString(QStringLiteral("HH:mm:ss")));
    if (lblLastArrival->text() != text) {
        lblLastArrival->setText(text);
        lblLastArrival->setAccessibleDescription(text);
    }
    // A symbol and a colour: the warning is never told by colour alone.
    if (lblLastArrival->autoFillBackground() != m_silent) {
        QPalette palette = lblLastArrival->palette();
        palette.setColor(QPalette::Window,
                         m_silent ? QColor(255, 192, 0) : QGuiApplication::palette().color(QPalette::Window));
        lblLastArrival->setPalette(palette);
        lblLastArrival->setAutoFillBackground(m_silent);
    }
}

void frmMain::BuildMessageControls() {
    // On the right of the "Communication header" title, above the table they step.
    lblMessage = new QLabel(Frame3);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setGeometry(TwipsRect(2760, 2040, 4860, 225));
    const auto makeButton = [this](const char* name, const char* caption, int left, const QString& help,
                                   QKeyCombination key, int delta) {
        auto* button = new QPushButton(QString::fromLatin1(caption), Frame3);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(TwipsRect(left, 2010, 360, 255));
        button->setToolTip(help);
        button->setAccessibleName(help);
        button->setEnabled(false);
        // A click leaves the focus in the capture list, so the arrow keys go on moving the selection.
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this, [this, delta] { ShowMessageStep(m_step + delta); });
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
        return button;
    };
    btnPrevMessage = makeButton("btnPrevMessage", "<", 7680, QStringLiteral("Previous message (Alt+Left)"),
                                Qt::ALT | Qt::Key_Left, -1);
    btnNextMessage = makeButton("btnNextMessage", ">", 8055, QStringLiteral("Next message (Alt+Right)"),
                                Qt::ALT | Qt::Key_Right, +1);
    // Under the last data row, the width of the table.
    lblSummary = new QLabel(Frame3);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setGeometry(TwipsRect(480, 5055, 7935, 225));
}

void frmMain::InitSocket() {
    Winsock1->SetLocalPort(kLocalPort);
    m_connectState = 0;
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
    lblRemoteIP->clear();
    lblRemotePort->clear();
    lblLocalIP->setText(TcpLink::LocalIP());
    lblLocalPort->setText(QString::number(Winsock1->LocalPort()));
    SetConnectState(0);
    ReplaceCaptureList({});
    InitDetailView();
}

void frmMain::InitDetailView() {
    ::InitDetailView(m_table);
    DrawDetailView();
    m_step = 0;
    m_stepLabel.clear();
    lblMessage->clear();
    btnPrevMessage->setEnabled(false);
    btnNextMessage->setEnabled(false);
    // Stop stays usable while listening or connected: otherwise a Clear or Load in those states would
    // leave neither Start nor Stop to press until a peer happened to close.
    if (m_connectState == 0)
        btnAction[1]->setEnabled(false);
    m_formatText = CurrentFormatText();
    lblFormat->setText(m_formatText);
    lblFormat->adjustSize();
}

void frmMain::SetConnectState(int state) {
    if (state < 0 || state >= static_cast<int>(std::size(kStates)))
        return;
    const StateLook& look = kStates[state];
    lblConnect->setText(QString::fromLatin1(look.caption));
    QPalette palette = lblConnect->palette();
    palette.setColor(QPalette::WindowText, look.colour);
    lblConnect->setPalette(palette);
    m_connectState = state;
}

void frmMain::DrawDetailView() {
    m_tableView->Draw(m_table);
    DescribeCells();
    btnDetailFloors->setVisible(m_table.btnDetailFloorsVisible);
    // A long list of floors gives way in the middle, so that the counts at the end stay in view; the
    // tooltip and the accessible description hold the whole text.
    const QString summary = QString::fromStdString(SummaryText(m_table.words));
    if (summary != lblSummary->toolTip()) {
        // Measuring a text costs as much as the rest of the drawing, and most summaries are far shorter
        // than the label: only one that may not fit is measured.
        const QFontMetrics metrics = lblSummary->fontMetrics();
        const bool mayNotFit = summary.size() * metrics.averageCharWidth() * 4 / 3 > lblSummary->width();
        lblSummary->setText(mayNotFit ? metrics.elidedText(summary, Qt::ElideMiddle, lblSummary->width())
                                      : summary);
        lblSummary->setToolTip(summary);
        lblSummary->setAccessibleDescription(summary);
    }
}

void frmMain::btnAction_Click(int index) {
    switch (index) {
    case 0:
        StartAction();
        break;
    case 1:
        if (m_connectState == 2)
            AddHistory(LinkEvent::Kind::Stopped, m_connectedFor.elapsed());
        StopAction();
        break;
    case 2:
        close(); // the same question as the title bar's close
        break;
    default:
        break;
    }
}

void frmMain::StartAction() {
    lblRemoteIP->clear();
    lblRemotePort->clear();
    btnAction[0]->setEnabled(false);
    btnAction[1]->setEnabled(true);
    Winsock1->SetWatchSecondClients(chkRelisten->isChecked());
    TcpLink::ListenError error;
    if (!Winsock1->Listen(&error)) {
        btnAction[0]->setEnabled(true);
        btnAction[1]->setEnabled(false);
        SetConnectState(0);
        m_prompts->Warn(this, QStringLiteral("Unable to listen on port %1.").arg(kLocalPort), error.reason);
        return;
    }
    SetConnectState(1);
}

void frmMain::StopAction() {
    btnAction[0]->setEnabled(true);
    btnAction[1]->setEnabled(false);
    Winsock1->Close();
    SetConnectState(0);
    m_silenceTick.stop();
    m_silent = false;
    ShowLastArrival();
}

void frmMain::Winsock1_ConnectionRequest() {
    if (!Winsock1->Accept())
        return;
    lblRemoteIP->setText(Winsock1->RemoteHostIP());
    lblRemotePort->setText(QString::number(Winsock1->RemotePort()));
    SetConnectState(2);
    m_peerName = Winsock1->RemoteName();
    AddHistory(LinkEvent::Kind::Connected);
    m_connectedFor.start();
    m_sinceBytes.start();
    m_lastArrivalMs = 0;
    m_silent = false;
    m_silenceTick.start();
    ShowLastArrival();
}

void frmMain::Winsock1_DataArrival(qint64 bytesTotal) {
    const QByteArray data = Winsock1->GetData(bytesTotal);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_silent) {
        AddHistory(LinkEvent::Kind::Resumed, m_sinceBytes.elapsed());
        m_silent = false;
    }
    m_sinceBytes.start();
    m_lastArrivalMs = now;
    RecordArrival(data.constData(), data.size(), now);
}

void frmMain::Winsock1_Close() {
    if (m_connectState != 2)
        return;
    AddHistory(LinkEvent::Kind::PeerClosed, m_connectedFor.elapsed());
    if (chkRelisten->isChecked())
        ListenAgain();
    else
        StopAction();
}

// Unattended: back to "connecting..." for the next client, as if Start had been pressed.
void frmMain::ListenAgain() {
    m_silenceTick.stop();
    m_silent = false;
    StartAction();
    ShowLastArrival();
}

void frmMain::RecordArrival(const char* bytes, qint64 count, qint64 arrivedMs) {
    if (arrivedMs == 0)
        arrivedMs = QDateTime::currentMSecsSinceEpoch();
    ForEachCaptureLine(m_clock.Prefix(), reinterpret_cast<const std::uint8_t*>(bytes),
                       static_cast<std::size_t>(count), [this, arrivedMs](const std::string& line) {
                           m_recovery.Add(line);
                           m_captureList.Prepend(line, arrivedMs);
                           if (m_captureList.Count() > static_cast<int>(kMaxLines))
                               m_captureList.RemoveLast();
                       });
}

void frmMain::ReplaceCaptureList(CaptureLines lines) {
    m_captureList.Replace(std::move(lines));
}

std::optional<std::string_view> frmMain::SelectedLine() const {
    const int row = lstCapture->SelectedRow();
    if (row < 0)
        return std::nullopt;
    return m_captureList.Line(row);
}

frmAccesibleFloors& frmMain::Floors() {
    if (!m_floors)
        m_floors = std::make_unique<frmAccesibleFloors>(this);
    return *m_floors;
}

frmDumpList& frmMain::Dump() {
    if (!m_dump)
        m_dump = std::make_unique<frmDumpList>(this);
    return *m_dump;
}

void frmMain::lstCapture_Click(int row) {
    const SelectionResult result = DecodeLine(m_table, m_captureList.Line(row));
    DrawDetailView();
    m_step = 0;
    ShowStepControls(MessagesOf(row));
    const QString shown = ShownLineText(row);
    if (result.floorsHandOver) {
        Floors().setFloorData(result.byteText);
        Floors().ReDraw();
        Floors().SetShownLine(shown);
    }
    Dump().setDumpData(result.byteText);
    Dump().SetShownLine(shown);
}

LineMessages frmMain::MessagesOf(int row) const {
    return LineMessages([this](int r) { return modCommon::ByteText(m_captureList.Line(r)); },
                        m_captureList.Count(), row);
}

// Steps are worked out again from the line at each press: lines that arrived since the selection
// may have brought the rest of a message.
void frmMain::ShowMessageStep(int step) {
    const int row = lstCapture->SelectedRow();
    if (row < 0)
        return;
    const LineMessages messages = MessagesOf(row);
    step = std::clamp(step, 0, messages.StepCount() - 1);
    if (step == 0) {
        lstCapture_Click(row); // the plain selection, hand-overs included
        return;
    }
    m_step = step;
    const LineMessages::Step taken = messages.Take(step);
    const bool floorsHandOver = DecodeMessage(m_table, taken.tokens);
    m_stepText = JoinTokens(taken.tokens);
    DrawDetailView();
    ShowStepControls(messages);
    const QString shown = ShownLineText(row);
    if (floorsHandOver) {
        Floors().setFloorData(m_stepText);
        Floors().ReDraw();
        Floors().SetShownLine(shown);
    }
    Dump().setDumpData(m_stepText);
    Dump().SetShownLine(shown);
}

void frmMain::ShowStepControls(const LineMessages& messages) {
    m_stepLabel = messages.Take(m_step).label;
    lblMessage->setText(QString::fromStdString(m_stepLabel));
    btnPrevMessage->setEnabled(m_step > 0);
    btnNextMessage->setEnabled(m_step + 1 < messages.StepCount());
}

QString frmMain::ShownLineText(int row) const {
    const CaptureLineParts parts = SplitCaptureLine(m_captureList.Line(row));
    QString text = QString::fromUtf8(parts.date.data(), static_cast<qsizetype>(parts.date.size())) + u' ' +
                   QString::fromUtf8(parts.time.data(), static_cast<qsizetype>(parts.time.size()));
    if (!m_table.words.gate.empty())
        text += QStringLiteral(", gate ") + QString::fromStdString(m_table.words.gate);
    if (m_step > 0)
        text += QStringLiteral(", ") + QString::fromStdString(m_stepLabel);
    return text;
}

void frmMain::lstCapture_DblClick() {
    Dump().ShowWindow();
}

void frmMain::btnDetailFloors_Click() {
    // The selected line may have been dropped from the bottom of the list while the button was shown.
    const std::optional<std::string_view> line = SelectedLine();
    if (!line)
        return;
    if (m_step == 0)
        Floors().setFloorData(modCommon::ByteText(*line));
    else
        Floors().setFloorData(m_stepText);
    Floors().SetShownLine(ShownLineText(lstCapture->SelectedRow()));
    Floors().ShowWindow();
}

void frmMain::btnSaveCapture_Click() {
    const QString name = m_prompts->ChooseFile(this, true, m_lastFileName);
    if (name.isEmpty())
        return;
    m_lastFileName = name;
    QString reason;
    if (!SaveCaptureFile(name, m_formatText.toStdString(), m_captureList.Lines(), &reason))
        m_prompts->Warn(this, kSaveFailed, reason);
    else
        m_recovery.Retire();
}

void frmMain::btnLoadCapture_Click() {
    const QString name = m_prompts->ChooseFile(this, false, m_lastFileName);
    if (!name.isEmpty()) {
        m_lastFileName = name;
        LoadedCaptureFile loaded = IsPacketCaptureFile(QFile::encodeName(name).toStdString())
                                       ? LoadPacketCaptureFile(name)
                                       : LoadCaptureFile(name);
        if (!loaded.readOk || loaded.parsed.status == ParsedCaptureFile::Status::NotCapture) {
            // Nothing of the file reaches the list: it is read whole before the list is touched.
            m_prompts->Warn(this, kLoadFailed, loaded.reason);
            return;
        }
        if (loaded.parsed.status == ParsedCaptureFile::Status::Ok) {
            ReplaceCaptureList(std::move(loaded.parsed.lines));
            m_recovery.Retire();
        }
    }
    InitDetailView();
}

void frmMain::btnClearCapture_Click() {
    if (m_captureList.Count() == 0)
        return;
    const QString every = lstCapture->Filtered()
                              ? QStringLiteral("All %1 lines are deleted, not only the %2 shown.")
                                    .arg(m_captureList.Count())
                                    .arg(lstCapture->ShownCount())
                              : QString();
    const QString unsaved = UnsavedText();
    const QString details = every.isEmpty() ? unsaved : unsaved.isEmpty() ? every : every + u'\n' + unsaved;
    if (!m_prompts->Ask(this, kClearQuestion, details))
        return;
    ReplaceCaptureList({});
    m_recovery.Retire();
    InitDetailView();
}

QString frmMain::UnsavedText() const {
    const qint64 unsaved = m_recovery.Unsaved();
    if (unsaved == 0)
        return {};
    return unsaved == 1 ? QStringLiteral("1 line has not been saved.")
                        : QStringLiteral("%1 lines have not been saved.").arg(unsaved);
}

void frmMain::OfferRecovery() {
    for (const RecoveryJournal::Leftover& leftover : m_recovery.FindLeftovers()) {
        const QString count = leftover.lines == 1
                                  ? QStringLiteral("1 line was recorded")
                                  : QStringLiteral("%1 lines were recorded").arg(leftover.lines);
        if (!m_prompts->Ask(this, kRestoreQuestion,
                            count +
                                QStringLiteral(" and not saved before the tool last ended unexpectedly."))) {
            RecoveryJournal::Discard(leftover);
            continue;
        }
        std::optional<CaptureLines> restored = m_recovery.Restore(leftover);
        if (!restored)
            continue;
        // The restored lines are older than anything recorded since: they go below it.
        CaptureLines lines = m_captureList.Lines();
        for (const std::string_view line : *restored)
            lines.push_back(line);
        ReplaceCaptureList(std::move(lines));
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_prompts->Ask(this, kExitQuestion, UnsavedText())) {
        event->ignore();
        return;
    }
    event->accept();
    m_recovery.Retire();
    SavePlaces();
    Winsock1->Close();
    if (m_floors)
        m_floors->hide();
    if (m_dump)
        m_dump->hide();
    emit ExitConfirmed();
}
