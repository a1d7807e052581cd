#include "app/ChecklistModel.h"

#include "report/PlanMatcher.h"

#include <QColor>

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The state's symbol: met, seen but fewer than asked for, seen only invalid, not seen.
QString Symbol(const Expectation& expectation, const ExpectationTally& tally) {
    if (Met(expectation, tally))
        return QStringLiteral("\u2714");
    switch (StateOf(tally)) {
    case PlanState::Seen:
        return QStringLiteral("\u25D0");
    case PlanState::SeenInvalid:
        return QStringLiteral("\u2718");
    case PlanState::NotSeen:
        break;
    }
    return QStringLiteral("\u25CB");
}

} // namespace

ChecklistModel::ChecklistModel(QObject* parent) : QAbstractTableModel(parent) {}

void ChecklistModel::SetMatcher(const PlanMatcher* matcher) {
    beginResetModel();
    m_matcher = matcher;
    endResetModel();
}

void ChecklistModel::RowsChanged(const std::vector<int>& rows) {
    for (const int row : rows)
        emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

void ChecklistModel::AllChanged() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
}

int ChecklistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_matcher ? 0 : static_cast<int>(m_matcher->Expectations().size());
}

int ChecklistModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ChecklistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const titles[kColumns] = {"Expectation", "State", "First", "Count"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return {};
    return QString::fromLatin1(titles[section]);
}

QString ChecklistModel::StateCell(int row) const {
    const auto i = static_cast<std::size_t>(row);
    const ExpectationTally& tally = m_matcher->Tallies()[i];
    return Symbol(m_matcher->Expectations()[i], tally) + u' ' + Text(StateText(StateOf(tally)));
}

QString ChecklistModel::CountCell(int row) const {
    const auto i = static_cast<std::size_t>(row);
    const ExpectationTally& tally = m_matcher->Tallies()[i];
    const int count = tally.met > 0 ? tally.met : tally.invalid;
    const int asked = m_matcher->Expectations()[i].count;
    return asked > 1 ? QStringLiteral("%1 of %2").arg(count).arg(asked) : QString::number(count);
}

QString ChecklistModel::RowText(int row) const {
    const auto i = static_cast<std::size_t>(row);
    const Expectation& expectation = m_matcher->Expectations()[i];
    const ExpectationTally& tally = m_matcher->Tallies()[i];
    const PlanState state = StateOf(tally);
    QString text = Text(expectation.name) + QStringLiteral(": ") + Text(StateText(state));
    if (state == PlanState::NotSeen)
        return text;
    const bool valid = state == PlanState::Seen;
    const int count = valid ? tally.met : tally.invalid;
    text +=
        QStringLiteral(" at %1, %2 %3")
            .arg(Text(valid ? tally.firstMetTime : tally.firstInvalidTime))
            .arg(expectation.count > 1 ? QStringLiteral("%1 of at least %2").arg(count).arg(expectation.count)
                                       : QString::number(count))
            .arg(count == 1 ? QStringLiteral("message") : QStringLiteral("messages"));
    if (!valid)
        text += QStringLiteral(" matching but breaking a rule elsewhere");
    else if (!Met(expectation, tally))
        text += QStringLiteral(", not met yet");
    return text;
}

QVariant ChecklistModel::data(const QModelIndex& index, int role) const {
    if (!m_matcher || !index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    const auto i = static_cast<std::size_t>(row);
    const ExpectationTally& tally = m_matcher->Tallies()[i];
    const PlanState state = StateOf(tally);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Name:
            return Text(m_matcher->Expectations()[i].name);
        case State:
            return StateCell(row);
        case First:
            return Text(state == PlanState::Seen          ? tally.firstMetTime
                        : state == PlanState::SeenInvalid ? tally.firstInvalidTime
                                                          : std::string());
        case Count:
            return state == PlanState::NotSeen ? QString() : CountCell(row);
        default:
            return {};
        }
    case Qt::AccessibleTextRole:
        // The state without its symbol, which a screen reader would only spell out.
        return index.column() == State ? Text(StateText(state)) : data(index, Qt::DisplayRole);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return RowText(row);
    case Qt::ForegroundRole:
        if (index.column() != State || state == PlanState::NotSeen)
            return {};
        return state == PlanState::SeenInvalid ? QColor(0xC0, 0, 0) : QColor(0, 0x80, 0);
    default:
        return {};
    }
}
