#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The date and time texts of capture lines as seconds, for the timeline. The date's order comes from
// FormatText ("[mm/dd/yyyy]", "[dd/mm/yyyy]" or "[yyyy/mm/dd]"); a two-digit year is taken as 20yy and
// a time with AM or PM as a twelve-hour time. The seconds count from 1970 in local time: only their
// differences matter.
enum class DateOrder { MonthFirst, DayFirst, YearFirst };

DateOrder DateOrderOf(std::string_view formatText);

class LineTime {
public:
    explicit LineTime(DateOrder order = DateOrder::MonthFirst) : m_order(order) {}
    void setOrder(DateOrder order) {
        m_order = order;
        m_date.clear();
        m_time.clear();
        m_days.reset();
        m_seconds.reset();
    }

    // Empty when the texts do not read as a date and a time. Consecutive lines mostly share their
    // texts: those are read once.
    std::optional<std::int64_t> Seconds(std::string_view date, std::string_view time);

private:
    std::optional<std::int64_t> Days(std::string_view date) const;

    DateOrder m_order;
    std::string m_date; // the last texts read, and what they gave
    std::string m_time;
    std::optional<std::int64_t> m_days;
    std::optional<std::int64_t> m_seconds;
};
