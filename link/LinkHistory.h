#pragma once

#include <QDateTime>
#include <QString>

#include <deque>

// What happened on the link over a run: connections, disconnections, refused second clients and
// silences, each with its time, the peer and how long it lasted. The capture lines do not change.
struct LinkEvent {
    enum class Kind {
        Connected,  // a client was accepted
        PeerClosed, // the peer closed or reset the connection
        Stopped,    // the operator pressed Stop while connected
        Refused,    // a second client came while connected and was closed at once
        Silent,     // no bytes for longer than the silence limit
        Resumed,    // bytes again after a silence
    };
    QDateTime when;
    Kind kind = Kind::Connected;
    QString peer;           // address:port
    qint64 durationMs = -1; // how long the connection or the silence lasted, when it ended

    QString Text() const;
};

// The latest events, with a count of those dropped to make room: a peer that reconnects every second
// over a weekend must not fill memory or slow the window. The full record belongs to `record`'s output.
class LinkHistory {
public:
    static constexpr std::size_t kKept = 1000;

    explicit LinkHistory(std::size_t kept = kKept) : m_kept(kept) {}
    void Add(LinkEvent event);
    const std::deque<LinkEvent>& Events() const { return m_events; }
    // Events dropped, oldest first, to keep the latest.
    quint64 Dropped() const { return m_dropped; }
    // The newest count events, newest last, one a line.
    QString Latest(int count) const;
    // Every event kept, one a line, for copying out.
    QString AllText() const;

private:
    std::size_t m_kept;
    std::deque<LinkEvent> m_events;
    quint64 m_dropped = 0;
};

// A duration as people read it: "850 ms", "12.3 s", "5 min 3 s", "2 h 4 min".
QString FormatDuration(qint64 milliseconds);
