#include "report/LineTime.h"

#include <array>

namespace {

// Up to three numbers of a text, each a run of digits; the count found.
std::size_t Numbers(std::string_view text, std::array<std::int64_t, 3>& numbers) {
    std::size_t found = 0;
    bool inNumber = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (!inNumber) {
                if (found == numbers.size())
                    return found + 1; // more numbers than a date or time has
                numbers[found++] = 0;
                inNumber = true;
            }
            if (numbers[found - 1] > 99999)
                return 0;
            numbers[found - 1] = numbers[found - 1] * 10 + (c - '0');
        } else {
            inNumber = false;
        }
    }
    return found;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool Contains(std::string_view text, char upper) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if ((text[i] == upper || text[i] == upper + ('a' - 'A')) &&
            (text[i + 1] == 'M' || text[i + 1] == 'm'))
            return true;
    return false;
}

} // namespace

DateOrder DateOrderOf(std::string_view formatText) {
    if (formatText.starts_with("[dd"))
        return DateOrder::DayFirst;
    if (formatText.starts_with("[yyyy"))
        return DateOrder::YearFirst;
    return DateOrder::MonthFirst;
}

std::optional<std::int64_t> LineTime::Days(std::string_view date) const {
    std::array<std::int64_t, 3> n{};
    if (Numbers(date, n) != 3)
        return std::nullopt;
    std::int64_t year = n[2], month = n[0], day = n[1];
    if (m_order == DateOrder::DayFirst) {
        day = n[0];
        month = n[1];
    } else if (m_order == DateOrder::YearFirst) {
        year = n[0];
        month = n[1];
        day = n[2];
    }
    if (year < 100)
        year += 2000;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    return DaysFromCivil(year, month, day);
}

std::optional<std::int64_t> LineTime::Seconds(std::string_view date, std::string_view time) {
    if (time == m_time && date == m_date)
        return m_seconds;
    if (date != m_date) {
        m_date = date;
        m_days = Days(date);
    }
    m_time = time;
    m_seconds.reset();
    std::array<std::int64_t, 3> n{};
    if (!m_days || Numbers(time, n) != 3 || n[0] > 23 || n[1] > 59 || n[2] > 60)
        return m_seconds;
    std::int64_t hour = n[0];
    if (Contains(time, 'P') && hour < 12)
        hour += 12;
    else if (Contains(time, 'A') && hour == 12)
        hour = 0;
    m_seconds = *m_days * 86400 + hour * 3600 + n[1] * 60 + n[2];
    return m_seconds;
}
