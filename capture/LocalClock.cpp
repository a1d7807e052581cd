#include "capture/LocalClock.h"

#include "capture/CaptureLine.h"
#include "decode/DateOrder.h"

namespace {

// A capture line's date and time must be non-empty and hold neither "]" nor a line break, or the byte
// text would be found in the wrong place; a locale could in principle render any of them.
std::string CaptureField(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    for (char& c : utf8) {
        if (c == ']' || c == '\r' || c == '\n')
            c = ' ';
    }
    return utf8.isEmpty() ? std::string("-") : utf8.toStdString();
}

} // namespace

QString WithoutTimeZone(const QString& format) {
    QString result;
    result.reserve(format.size());
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            result.append(c);
    }
    return result.trimmed();
}

LocalClock::LocalClock(const QLocale& locale)
    : m_locale(locale), m_dateFormat(locale.dateFormat(QLocale::ShortFormat)),
      m_timeFormat(WithoutTimeZone(locale.timeFormat(QLocale::LongFormat))) {}

std::string LocalClock::CapturePrefix(const QDateTime& at) const {
    return MakeCapturePrefix(CaptureField(m_locale.toString(at.date(), m_dateFormat)),
                             CaptureField(m_locale.toString(at.time(), m_timeFormat)));
}

std::string LocalClock::FormatText() const {
    const QDate sample(kSampleYear, kSampleMonth, kSampleDay);
    return MakeFormatText(m_locale.toString(sample, QLocale::ShortFormat).toStdString());
}
