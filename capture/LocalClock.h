#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <string>

// The local date and time as capture lines show them, shared by the window and the recorder so that a
// line recorded headless reads exactly like one recorded in the window: the locale's short date format
// and its long time format without the time-zone field (seconds kept, the zone adds nothing to a local
// recording and may hold "]").
class LocalClock {
public:
    // Reads the formats once; an arrival then only formats.
    explicit LocalClock(const QLocale& locale = QLocale::system());

    const QString& dateFormat() const { return m_dateFormat; }
    const QString& timeFormat() const { return m_timeFormat; }

    // "[date] [time]" for the given moment, as UTF-8.
    std::string CapturePrefix(const QDateTime& at) const;
    std::string CapturePrefixNow() const { return CapturePrefix(QDateTime::currentDateTime()); }

    // FormatText: the date order the short date format writes, then "[hh:mm:ss]".
    std::string FormatText() const;

private:
    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
};

// A time format without its time-zone letters ("t" runs outside quoted text), trimmed.
QString WithoutTimeZone(const QString& format);
