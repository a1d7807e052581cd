#pragma once

#include "capture/CaptureLine.h"

#include <QString>

#include <cstdint>
#include <ctime>
#include <string>

// Packet times are nanoseconds since 1970.
inline constexpr std::int64_t kNsPerSecond = 1'000'000'000;

// The local date and time as capture lines carry them: the system's short date format and its time
// format with seconds but without a time-zone field.
class LocalClock {
public:
    LocalClock();

    // "[date] [time]" for the current second. Formatting through the locale costs microseconds, so the
    // prefix is made once per second and reused for every arrival within it.
    const std::string& Prefix() { return PrefixAt(std::time(nullptr)); }
    // The same for a second of the past, such as a packet's time in a packet capture.
    const std::string& PrefixAt(std::time_t second);
    // The same for a packet's time, of the second it falls in.
    const std::string& PrefixAtNs(std::int64_t timeNs) {
        return PrefixAt(static_cast<std::time_t>(timeNs / kNsPerSecond));
    }
    // The date and time of that prefix as SplitCaptureLine reads them, views into the prefix.
    const CaptureLineParts& PartsAtNs(std::int64_t timeNs) {
        PrefixAtNs(timeNs);
        return m_parts;
    }

private:
    QString m_dateFormat;
    QString m_timeFormat;
    std::time_t m_second = -1;
    std::string m_prefix;
    CaptureLineParts m_parts;
};

// The system's time format with seconds, its time-zone letters removed.
QString TimeFormatWithoutZone();
// A time format without its time-zone field ("t", "tt"...), quoted text kept as it is.
QString WithoutZone(const QString& format);

// FormatText: the date order of the system's short date format, then " [hh:mm:ss]".
QString CurrentFormatText();
