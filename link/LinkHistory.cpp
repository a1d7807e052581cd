#include "link/LinkHistory.h"

#include <algorithm>

QString FormatDuration(qint64 ms) {
    if (ms < 1000)
        return QStringLiteral("%1 ms").arg(ms);
    if (ms < 60'000)
        return QStringLiteral("%1 s").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 1);
    const qint64 seconds = ms / 1000;
    if (seconds < 3600)
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
}

QString LinkEvent::Text() const {
    const QString time = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    const QString lasted = durationMs >= 0 ? FormatDuration(durationMs) : QString();
    QString what;
    switch (kind) {
    case Kind::Connected:
        what = QStringLiteral("connection from %1").arg(peer);
        break;
    case Kind::PeerClosed:
        what = QStringLiteral("disconnection: %1 closed or reset the connection after %2").arg(peer, lasted);
        break;
    case Kind::Stopped:
        what =
            QStringLiteral("disconnection: Stop dropped the connection from %1 after %2").arg(peer, lasted);
        break;
    case Kind::Refused:
        what = QStringLiteral("refused a second client, %1").arg(peer);
        break;
    case Kind::Silent:
        what = QStringLiteral("silence: no bytes from %1 for %2").arg(peer, lasted);
        break;
    case Kind::Resumed:
        what = QStringLiteral("bytes from %1 again after %2 of silence").arg(peer, lasted);
        break;
    }
    return time + QStringLiteral("  ") + what;
}

void LinkHistory::Add(LinkEvent event) {
    m_events.push_back(std::move(event));
    if (m_events.size() > m_kept) {
        m_events.pop_front();
        ++m_dropped;
    }
}

QString LinkHistory::Latest(int count) const {
    QStringList lines;
    const auto first =
        m_events.size() > static_cast<std::size_t>(count) ? m_events.end() - count : m_events.begin();
    for (auto it = first; it != m_events.end(); ++it)
        lines << it->Text();
    return lines.join(u'\n');
}

QString LinkHistory::AllText() const {
    return Latest(static_cast<int>(m_events.size()));
}
