#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

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

class LinkHistory {
public:
    void Add(LinkEvent event) { m_events.push_back(std::move(event)); }
    const std::vector<LinkEvent>& Events() const { return m_events; }
    // The newest count events, newest last, one a line.
    QString Latest(int count) const;
    // Every event, one a line, for copying out.
    QString AllText() const;

private:
    std::vector<LinkEvent> m_events;
};

// A duration as people read it: "850 ms", "12.3 s", "5 min 3 s", "2 h 4 min".
QString FormatDuration(qint64 milliseconds);
