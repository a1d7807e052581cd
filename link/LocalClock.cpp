#include "link/LocalClock.h"

#include "capture/CaptureLine.h"
#include "capture/DateOrder.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

LocalClock::LocalClock()
    : m_dateFormat(QLocale::system().dateFormat(QLocale::ShortFormat)),
      m_timeFormat(TimeFormatWithoutZone()) {}

const std::string& LocalClock::PrefixAt(std::time_t second) {
    if (second != m_second) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(second);
        const QLocale locale = QLocale::system();
        m_prefix = MakeCapturePrefix(locale.toString(local.date(), m_dateFormat).toStdString(),
                                     locale.toString(local.time(), m_timeFormat).toStdString());
        m_parts = SplitCaptureLine(m_prefix);
        m_second = second;
    }
    return m_prefix;
}

QString TimeFormatWithoutZone() {
    return WithoutZone(QLocale::system().timeFormat(QLocale::LongFormat));
}

QString WithoutZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            result += c;
    }
    return result.simplified();
}

QString CurrentFormatText() {
    const QString sample =
        QLocale::system().toString(QDate(kSampleYear, kSampleMonth, kSampleDay), QLocale::ShortFormat);
    return QString::fromStdString(MakeFormatText(sample.toStdString()));
}
