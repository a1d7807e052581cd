#include "app/CaptureListModel.h"

int CaptureListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CaptureListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= Count())
        return {};
    const std::string_view line = Line(index.row());
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
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

void CaptureListModel::Clear() {
    Replace({});
}
