#pragma once

#include "capture/CaptureLine.h"

#include <QAbstractListModel>

// The lines of the capture list, newest first, kept as 8-bit text; the view's text is made on demand.
class CaptureListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const CaptureLines& Lines() const { return m_lines; }
    std::string_view Line(int row) const { return m_lines[static_cast<std::size_t>(row)]; }
    int Count() const { return static_cast<int>(m_lines.size()); }

    void Prepend(std::string_view line);
    void RemoveLast();
    void Replace(CaptureLines lines);
    void Clear();

private:
    CaptureLines m_lines;
};
