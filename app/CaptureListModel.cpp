#include "app/CaptureListModel.h"

int CaptureListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CaptureListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= Count())
        return {};
    return DisplayText(Line(index.row()));
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

void CaptureListModel::Prepend(std::string_view line) {
    beginInsertRows(QModelIndex(), 0, 0);
    m_lines.push_front(line);
    endInsertRows();
}

void CaptureListModel::RemoveLast() {
    if (m_lines.empty())
        return;
    const int last = Count() - 1;
    beginRemoveRows(QModelIndex(), last, last);
    m_lines.pop_back();
    endRemoveRows();
}

void CaptureListModel::Replace(CaptureLines lines) {
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}
