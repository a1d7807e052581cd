#pragma once

#include "capture/CaptureLine.h"
#include "capture/CaptureRows.h"
#include "capture/ConnectionStarts.h"
#include "decode/LineMark.h"

#include <QAbstractListModel>
#include <QTimer>

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

// The lines of the capture list, newest first, kept as 8-bit text; the view's text is made on demand.
// Every line carries its mark, and the model keeps the counts of the marks so the counters line never
// walks the list.
class CaptureListModel final : public QAbstractListModel, public CaptureRows {
    Q_OBJECT

public:
    explicit CaptureListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // What the list shows of a line. A line from an edited file can be megabytes long, and laying out
    // such a text takes seconds at every repaint; no line the tool records comes near kMaxShownBytes,
    // so only such a line is cut, and an ellipsis marks the cut. Decoding and saving use the whole line.
    static constexpr std::size_t kMaxShownBytes = 4096;
    static QString DisplayText(std::string_view line);

    const CaptureLines& Lines() const { return m_lines; }
    std::string_view Line(int row) const override { return m_lines[static_cast<std::size_t>(row)]; }
    int Count() const override { return static_cast<int>(m_lines.size()); }
    LineMark Mark(int row) const override { return m_marks[static_cast<std::size_t>(row)]; }
    std::int64_t Trimmed() const override { return m_trimmed; }
    bool MarksPending() const override { return m_counts.unknown > 0; }
    bool StartsConnection(int row) const override { return m_connectionStarts.Contains(Position(row)); }
    // What the tooltip and the accessible description say of such a line.
    static constexpr const char* kFirstOfConnection = "first line of a new connection";
    // The rows of StartsConnection, top first.
    std::vector<int> ConnectionRows() const;

    struct Counts {
        std::array<int, kLineKinds> kinds{};
        std::array<int, kLineCommands> commands{};
        int unknown = 0; // loaded lines not marked yet
    };
    const Counts& MarkCounts() const { return m_counts; }

    // arrivedMs: when the line's bytes arrived, in milliseconds since the epoch (0: not known, as for
    // loaded lines). Kept beside the line, never in its text. startsConnection: the first line of a
    // connection (StartsConnection).
    void Prepend(std::string_view line, qint64 arrivedMs = 0, bool startsConnection = false);
    void RemoveLast();
    // Shows the lines at once; their marks follow in slices between events (MarksChanged when done),
    // or come with them when markNow (a list no longer than a recording's, drawn marked at once).
    // connectionRows: the rows of the new lines that start a connection.
    void Replace(CaptureLines lines, bool markNow = false, const std::vector<int>& connectionRows = {});

    qint64 ArrivedMs(int row) const { return m_arrivedMs[static_cast<std::size_t>(row)]; }
    // "arrived 10:15:30.123, 250 ms after the line below": the line's time to the millisecond and the
    // time since the line before it; empty when the time is not known.
    QString TimingText(int row) const;

signals:
    // The counts changed: an arrival, a trim, a slice of marks, a Replace.
    void MarksChanged();

private:
    void Tally(LineMark mark, int delta);
    void MarkSlice();

    CaptureLines m_lines;
    std::deque<qint64> m_arrivedMs; // beside m_lines, row for row
    std::deque<LineMark> m_marks;
    Counts m_counts;
    LineMarker m_marker;
    // Marking loaded lines runs from the newest loaded line down; a trim can take the lowest ones first.
    int m_unmarkedTop = 0;
    std::int64_t m_trimmed = 0;
    ConnectionStarts m_connectionStarts;
    QTimer m_markTimer;
};
