#include "app/ListControls.h"

#include "app/CaptureListModel.h"
#include "app/CaptureListView.h"
#include "app/Twips.h"
#include "report/LineDecoder.h"
#include "common/modCommon.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace {

constexpr QRect kCountersRect = TwipsRect(360, 1590, 8055, 255);
constexpr QRect kFindRect = TwipsRect(4080, 300, 2640, 330);
constexpr QRect kShowRect = TwipsRect(6840, 300, 1575, 330);
// The counters line follows arrivals at the screen's pace, like the list.
constexpr int kCountersMs = 16;

} // namespace

ListControls::ListControls(QWidget* window, QWidget* frame, CaptureListModel& list, CaptureListView& view)
    : m_list(list), m_view(view) {
    lblCounters = new QLabel(frame);
    lblCounters->setObjectName(QStringLiteral("lblCounters"));
    lblCounters->setGeometry(kCountersRect);
    lblCounters->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_countersTimer = new QTimer(lblCounters);
    m_countersTimer->setSingleShot(true);
    m_countersTimer->setInterval(kCountersMs);
    connect(m_countersTimer, &QTimer::timeout, this, &ListControls::DrawCounters);
    connect(&m_list, &CaptureListModel::MarksChanged, this, &ListControls::ScheduleCounters);
    DrawCounters();
    BuildFilter(window, frame);
    BuildCopy(window);
}

void ListControls::BuildFilter(QWidget* window, QWidget* frame) {
    // Find and filter: the list shows the lines that hold the text and pass the choice.
    txtFind = new QLineEdit(frame);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setGeometry(kFindRect);
    txtFind->setPlaceholderText(QStringLiteral("Find (Ctrl+F): date, time or bytes"));
    txtFind->setClearButtonEnabled(true);
    cboShow = new QComboBox(frame);
    cboShow->setObjectName(QStringLiteral("cboShow"));
    cboShow->setGeometry(kShowRect);
    cboShow->addItems({QStringLiteral("All lines"), QStringLiteral("Invalid lines"),
                       QStringLiteral("0x10 lines"), QStringLiteral("0x11 lines"),
                       QStringLiteral("0x20 lines"), QStringLiteral("Other lines")});
    connect(txtFind, &QLineEdit::textChanged, this, &ListControls::ApplyFilter);
    connect(cboShow, &QComboBox::currentIndexChanged, this, &ListControls::ApplyFilter);
    auto* clearFind = new QShortcut(QKeySequence(Qt::Key_Escape), txtFind);
    clearFind->setContext(Qt::WidgetShortcut);
    connect(clearFind, &QShortcut::activated, txtFind, &QLineEdit::clear);
    auto* find = new QShortcut(QKeySequence::Find, window);
    connect(find, &QShortcut::activated, this, [this] {
        txtFind->setFocus(Qt::ShortcutFocusReason);
        txtFind->selectAll();
    });

    // A filter only hides lines: these two still act on all of them.
    window->findChild<QPushButton*>(QStringLiteral("btnSaveCapture"))
        ->setToolTip(QStringLiteral("Saves every line of the list, also those a filter hides"));
    window->findChild<QPushButton*>(QStringLiteral("btnClearCapture"))
        ->setToolTip(QStringLiteral("Deletes every line of the list, also those a filter hides"));
}

void ListControls::BuildCopy(QWidget* window) {
    // Copy out of the list: the line, its bytes, or the decoded table as `decode` prints it.
    const struct {
        const char* name;
        const char* text;
    } copies[] = {{"actCopyLine", "Copy line"},
                  {"actCopyBytes", "Copy bytes only"},
                  {"actCopyTable", "Copy decoded table"}};
    for (int i = 0; i < 3; ++i) {
        auto* action = new QAction(QString::fromLatin1(copies[i].text), &m_view);
        action->setObjectName(QString::fromLatin1(copies[i].name));
        if (i == 0) {
            action->setShortcut(QKeySequence::Copy);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        connect(action, &QAction::triggered, this, [this, i] { CopySelected(i); });
        m_view.addAction(action);
    }
    m_view.setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const auto& [key, step] :
         {std::pair{QKeySequence(Qt::Key_F8), 1}, std::pair{QKeySequence(Qt::SHIFT | Qt::Key_F8), -1}}) {
        auto* shortcut = new QShortcut(key, window);
        connect(shortcut, &QShortcut::activated, this, [this, step] { m_view.SelectNextInvalid(step); });
    }
}

void ListControls::CopySelected(int what) {
    const int row = m_view.SelectedRow();
    if (row < 0)
        return;
    const std::string_view line = m_list.Line(row);
    std::string text;
    switch (what) {
    case 0:
        text = line;
        break;
    case 1:
        text = modCommon::ByteText(line);
        break;
    default: {
        LineDecoder decoder(DecodeOptions{});
        decoder.Decode("capture list", static_cast<std::size_t>(row) + 1, line, text);
        break;
    }
    }
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ListControls::ApplyFilter() {
    m_view.SetFilter(txtFind->text().trimmed().toStdString(),
                     static_cast<CaptureFilter::Show>(std::max(0, cboShow->currentIndex())));
    DrawCounters();
}

void ListControls::ScheduleCounters() {
    if (!m_countersTimer->isActive())
        m_countersTimer->start();
}

void ListControls::DrawCounters() {
    const CaptureListModel::Counts& counts = m_list.MarkCounts();
    const auto kind = [&](LineKind k) { return counts.kinds[static_cast<std::size_t>(k)]; };
    const auto command = [&](LineCommand c) { return counts.commands[static_cast<std::size_t>(c)]; };
    QString text =
        QStringLiteral("%1 lines, %2 invalid; 0x10: %3, 0x11: %4, 0x20: %5, other: %6")
            .arg(m_view.Filtered() ? QStringLiteral("%1 of %2").arg(m_view.ShownCount()).arg(m_list.Count())
                                   : QString::number(m_list.Count()))
            .arg(kind(LineKind::Invalid))
            .arg(command(LineCommand::C10))
            .arg(command(LineCommand::C11))
            .arg(command(LineCommand::C20))
            .arg(command(LineCommand::Other));
    if (counts.unknown > 0)
        text += QStringLiteral(" (%1 lines still to check)").arg(counts.unknown);
    lblCounters->setText(text);
}

void ListControls::FollowWidth(int dx) {
    txtFind->move(txtFind->x() + dx, txtFind->y());
    cboShow->move(cboShow->x() + dx, cboShow->y());
    lblCounters->resize(lblCounters->width() + dx, lblCounters->height());
}
