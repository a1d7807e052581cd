#include "app/CaptureListModel.h"

#include "link/LinkHistory.h"

#include <QDateTime>

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

void CaptureListModel::Prepend(std::string_view line, qint64 arrivedMs) {
    beginInsertRows(QModelIndex(), 0, 0);
    m_lines.push_front(line);
    m_arrivedMs.push_front(arrivedMs);
    endInsertRows();
}

void CaptureListModel::RemoveLast() {
    if (m_lines.empty())
        return;
    const int last = Count() - 1;
    beginRemoveRows(QModelIndex(), last, last);
    m_lines.pop_back();
    m_arrivedMs.pop_back();
    endRemoveRows();
}

void CaptureListModel::Replace(CaptureLines lines) {
    beginResetModel();
    m_lines = std::move(lines);
    m_arrivedMs.assign(m_lines.size(), 0);
    endResetModel();
}
