#pragma once

#include "capture/CaptureLine.h"

#include <QAbstractListModel>

#include <deque>

// The lines of the capture list, newest first, kept as 8-bit text; the view's text is made on demand.
class CaptureListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // What the list shows of a line. A line from an edited file can be megabytes long, and laying out
    // such a text takes seconds at every repaint; no line the tool records comes near kMaxShownBytes,
    // so only such a line is cut, and an ellipsis marks the cut. Decoding and saving use the whole line.
    static constexpr std::size_t kMaxShownBytes = 4096;
    static QString DisplayText(std::string_view line);

    const CaptureLines& Lines() const { return m_lines; }
    std::string_view Line(int row) const { return m_lines[static_cast<std::size_t>(row)]; }
    int Count() const { return static_cast<int>(m_lines.size()); }

    // arrivedMs: when the line's bytes arrived, in milliseconds since the epoch (0: not known, as for
    // loaded lines). Kept beside the line, never in its text.
    void Prepend(std::string_view line, qint64 arrivedMs = 0);
    void RemoveLast();
    void Replace(CaptureLines lines);

    qint64 ArrivedMs(int row) const { return m_arrivedMs[static_cast<std::size_t>(row)]; }
    // "arrived 10:15:30.123, 250 ms after the line below": the line's time to the millisecond and the
    // time since the line before it; empty when the time is not known.
    QString TimingText(int row) const;

private:
    CaptureLines m_lines;
    std::deque<qint64> m_arrivedMs; // beside m_lines, row for row
};
