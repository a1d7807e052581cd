#include "app/DecodePanel.h"

#include "app/CaptureListModel.h"
#include "app/CaptureListView.h"
#include "app/DecodeTableView.h"
#include "app/Twips.h"
#include "capture/CaptureLine.h"
#include "common/modCommon.h"
#include "decode/LineMessages.h"
#include "views/Present.h"
#include "views/frmAccesibleFloors.h"
#include "views/frmDumpList.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

DecodePanel::DecodePanel(QWidget* window, QWidget* frame, const CaptureListModel& list,
                         const CaptureListView& view)
    : m_window(window), m_list(list), m_view(view), m_tableView(std::make_unique<DecodeTableView>(frame)) {
    btnDetailFloors = frame->findChild<QPushButton*>(QStringLiteral("btnDetailFloors"));
    btnDetailFloors->hide();
    connect(btnDetailFloors, &QPushButton::clicked, this, &DecodePanel::ShowFloorsWindow);
    BuildMessageControls(frame);
}

DecodePanel::~DecodePanel() = default;

void DecodePanel::BuildMessageControls(QWidget* frame) {
    // On the right of the "Communication header" title, above the table they step.
    lblMessage = new QLabel(frame);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setGeometry(TwipsRect(2760, 2040, 4860, 225));
    const auto makeButton = [this, frame](const char* name, const char* caption, int left,
                                          const QString& help, QKeyCombination key, int delta) {
        auto* button = new QPushButton(QString::fromLatin1(caption), frame);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(TwipsRect(left, 2010, 360, 255));
        button->setToolTip(help);
        button->setAccessibleName(help);
        button->setEnabled(false);
        // A click leaves the focus in the capture list, so the arrow keys go on moving the selection.
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this, [this, delta] { ShowMessageStep(m_step + delta); });
        auto* shortcut = new QShortcut(QKeySequence(key), m_window);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
        return button;
    };
    btnPrevMessage = makeButton("btnPrevMessage", "<", 7680, QStringLiteral("Previous message (Alt+Left)"),
                                Qt::ALT | Qt::Key_Left, -1);
    btnNextMessage = makeButton("btnNextMessage", ">", 8055, QStringLiteral("Next message (Alt+Right)"),
                                Qt::ALT | Qt::Key_Right, +1);
    // Under the last data row, the width of the table.
    lblSummary = new QLabel(frame);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setGeometry(TwipsRect(480, 5055, 7935, 225));
}

void DecodePanel::Reset() {
    InitDetailView(m_table);
    Draw();
    m_step = 0;
    m_stepLabel.clear();
    lblMessage->clear();
    btnPrevMessage->setEnabled(false);
    btnNextMessage->setEnabled(false);
}

void DecodePanel::Draw() {
    m_tableView->Draw(m_table);
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

void DecodePanel::Select(int row) {
    const SelectionResult result = DecodeLine(m_table, m_list.Line(row));
    Draw();
    m_step = 0;
    ShowStepControls(MessagesOf(row));
    HandOver(result.byteText, result.floorsHandOver, row);
}

LineMessages DecodePanel::MessagesOf(int row) const {
    return LineMessages([this](int r) { return modCommon::ByteText(m_list.Line(r)); }, m_list.Count(), row,
                        [this](int r) { return m_list.StartsConnection(r); });
}

// Steps are worked out again from the line at each press: lines that arrived since the selection
// may have brought the rest of a message.
void DecodePanel::ShowMessageStep(int step) {
    const int row = m_view.SelectedRow();
    if (row < 0)
        return;
    const LineMessages messages = MessagesOf(row);
    step = std::clamp(step, 0, messages.StepCount() - 1);
    if (step == 0) {
        Select(row); // the plain selection, hand-overs included
        return;
    }
    m_step = step;
    const LineMessages::Step taken = messages.Take(step);
    const bool floorsHandOver = DecodeMessage(m_table, taken.tokens);
    m_stepText = JoinTokens(taken.tokens);
    Draw();
    ShowStepControls(messages);
    HandOver(m_stepText, floorsHandOver, row);
}

void DecodePanel::ShowStepControls(const LineMessages& messages) {
    m_stepLabel = messages.Take(m_step).label;
    lblMessage->setText(QString::fromStdString(m_stepLabel));
    btnPrevMessage->setEnabled(m_step > 0);
    btnNextMessage->setEnabled(m_step + 1 < messages.StepCount());
}

// What the table shows goes to the dump window always, and to the floors window when it holds floors.
void DecodePanel::HandOver(std::string_view byteText, bool floors, int row) {
    const QString shown = ShownLineText(row);
    if (floors) {
        Floors().setFloorData(byteText);
        Floors().ReDraw();
        Floors().SetShownLine(shown);
    }
    Dump().setDumpData(byteText);
    Dump().SetShownLine(shown);
}

QString DecodePanel::ShownLineText(int row) const {
    const CaptureLineParts parts = SplitCaptureLine(m_list.Line(row));
    QString text = QString::fromUtf8(parts.date.data(), static_cast<qsizetype>(parts.date.size())) + u' ' +
                   QString::fromUtf8(parts.time.data(), static_cast<qsizetype>(parts.time.size()));
    if (!m_table.words.gate.empty())
        text += QStringLiteral(", gate ") + QString::fromStdString(m_table.words.gate);
    if (m_step > 0)
        text += QStringLiteral(", ") + QString::fromStdString(m_stepLabel);
    return text;
}

void DecodePanel::ShowDumpWindow() {
    Dump().ShowWindow();
}

void DecodePanel::ShowFloorsWindow() {
    // The selected line may have been dropped from the bottom of the list while the button was shown.
    const int row = m_view.SelectedRow();
    if (row < 0)
        return;
    Floors().setFloorData(m_step == 0 ? modCommon::ByteText(m_list.Line(row)) : m_stepText);
    Floors().SetShownLine(ShownLineText(row));
    Floors().ShowWindow();
}

frmAccesibleFloors& DecodePanel::Floors() {
    if (!m_floors)
        m_floors = std::make_unique<frmAccesibleFloors>(m_window);
    return *m_floors;
}

frmDumpList& DecodePanel::Dump() {
    if (!m_dump)
        m_dump = std::make_unique<frmDumpList>(m_window);
    return *m_dump;
}

void DecodePanel::RememberPlaces() {
    if (m_floors)
        RememberPlace(m_floors.get());
    if (m_dump)
        RememberPlace(m_dump.get());
}

void DecodePanel::HideWindows() {
    if (m_floors)
        m_floors->hide();
    if (m_dump)
        m_dump->hide();
}
