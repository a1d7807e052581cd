#include "app/CaptureListModel.h"

#include "link/LinkHistory.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {
// One slice of marking: short enough that the window answers at once while a big file is marked.
constexpr qint64 kSliceNs = 8'000'000;
} // namespace

CaptureListModel::CaptureListModel(QObject* parent) : QAbstractListModel(parent) {
    m_markTimer.setInterval(0);
    connect(&m_markTimer, &QTimer::timeout, this, &CaptureListModel::MarkSlice);
}

int CaptureListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CaptureListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    if (role == Qt::DisplayRole)
        return DisplayText(Line(index.row()));
    if (role == Qt::ToolTipRole)
        return TimingText(index.row());
    return {};
}

QString CaptureListModel::TimingText(int row) const {
    const qint64 arrived = ArrivedMs(row);
    if (arrived == 0)
        return {};
    QString text = QStringLiteral("arrived %1")
                       .arg(QDateTime::fromMSecsSinceEpoch(arrived).toString(QStringLiteral("HH:mm:ss.zzz")));
    if (StartsConnection(row))
        text += QStringLiteral(", ") + QLatin1String(kFirstOfConnection);
    if (row + 1 < Count() && ArrivedMs(row + 1) != 0)
        text += QStringLiteral(", %1 after the line below").arg(FormatDuration(arrived - ArrivedMs(row + 1)));
    return text;
}

QString CaptureListModel::DisplayText(std::string_view line) {
    if (line.size() <= kMaxShownBytes)
        return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    // Cut before a character, never inside one of UTF-8's multi-byte sequences.
    std::size_t shown = kMaxShownBytes;
    while (shown > 0 && (static_cast<unsigned char>(line[shown]) & 0xC0) == 0x80)
        --shown;
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(shown)) + QChar(0x2026);
}

void CaptureListModel::Tally(LineMark mark, int delta) {
    if (!mark.Known()) {
        m_counts.unknown += delta;
        return;
    }
    m_counts.kinds[static_cast<std::size_t>(mark.Kind())] += delta;
    m_counts.commands[static_cast<std::size_t>(mark.Command())] += delta;
}

void CaptureListModel::Prepend(std::string_view line, qint64 arrivedMs, bool startsConnection) {
    const LineMark mark = m_marker.Mark(line);
    beginInsertRows(QModelIndex(), 0, 0);
    m_lines.push_front(line);
    m_marks.push_front(mark);
    ++m_unmarkedTop;
    m_arrivedMs.push_front(arrivedMs);
    if (startsConnection)
        m_connectionStarts.Add(Position(0));
    endInsertRows();
    Tally(mark, +1);
    emit MarksChanged();
}

std::vector<int> CaptureListModel::ConnectionRows() const {
    std::vector<int> rows;
    const std::deque<std::int64_t>& positions = m_connectionStarts.Positions();
    for (auto position = positions.rbegin(); position != positions.rend(); ++position)
        rows.push_back(RowAtPosition(*position));
    return rows;
}

void CaptureListModel::RemoveLast() {
    if (m_lines.empty())
        return;
    const int last = Count() - 1;
    beginRemoveRows(QModelIndex(), last, last);
    m_lines.pop_back();
    m_arrivedMs.pop_back();
    ++m_trimmed;
    m_connectionStarts.DropBelow(m_trimmed);
    const LineMark mark = m_marks.back();
    m_marks.pop_back();
    endRemoveRows();
    Tally(mark, -1);
    m_unmarkedTop = std::min(m_unmarkedTop, Count());
    emit MarksChanged();
}

void CaptureListModel::Replace(CaptureLines lines, bool markNow, const std::vector<int>& connectionRows) {
    beginResetModel();
    m_lines = std::move(lines);
    m_arrivedMs.assign(m_lines.size(), 0);
    m_marks.assign(m_lines.size(), LineMark::Unknown());
    m_counts = {};
    m_counts.unknown = Count();
    m_unmarkedTop = 0;
    m_trimmed = 0;
    m_connectionStarts.clear();
    for (auto row = connectionRows.rbegin(); row != connectionRows.rend(); ++row)
        m_connectionStarts.Add(Position(*row));
    for (; markNow && m_unmarkedTop < Count(); ++m_unmarkedTop) {
        LineMark& mark = m_marks[static_cast<std::size_t>(m_unmarkedTop)];
        mark = m_marker.Mark(Line(m_unmarkedTop));
        Tally(LineMark::Unknown(), -1);
        Tally(mark, +1);
    }
    endResetModel();
    if (m_counts.unknown > 0)
        m_markTimer.start();
    else
        m_markTimer.stop();
    emit MarksChanged();
}

void CaptureListModel::MarkSlice() {
    QElapsedTimer slice;
    slice.start();
    int marked = 0;
    while (m_unmarkedTop < Count()) {
        LineMark& mark = m_marks[static_cast<std::size_t>(m_unmarkedTop)];
        if (!mark.Known()) {
            mark = m_marker.Mark(Line(m_unmarkedTop));
            Tally(LineMark::Unknown(), -1);
            Tally(mark, +1);
        }
        ++m_unmarkedTop;
        // The clock is read every few hundred lines: reading it costs as much as marking a short line.
        if (++marked % 512 == 0 && slice.nsecsElapsed() > kSliceNs)
            break;
    }
    if (m_unmarkedTop >= Count())
        m_markTimer.stop();
    emit MarksChanged();
}
