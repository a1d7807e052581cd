#include "report/TimelineChart.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kLeftMargin = 48;
constexpr double kRightMargin = 8;
constexpr double kTopMargin = 8;
constexpr double kBottomMargin = 22;

// Year, month and day of a count of days from 1970-01-01.
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

} // namespace

std::string SecondsText(std::int64_t seconds) {
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t rest = seconds - days * 86400;
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
                  static_cast<int>(rest / 3600), static_cast<int>(rest % 3600 / 60),
                  static_cast<int>(rest % 60));
    return text;
}

std::string SpanText(std::int64_t seconds) {
    if (seconds < 60)
        return std::to_string(seconds) + " s";
    if (seconds < 3600)
        return std::to_string(seconds / 60) + " min" +
               (seconds % 60 ? " " + std::to_string(seconds % 60) + " s" : "");
    if (seconds < 86400)
        return std::to_string(seconds / 3600) + " h" +
               (seconds % 3600 / 60 ? " " + std::to_string(seconds % 3600 / 60) + " min" : "");
    return std::to_string(seconds / 86400) + " d" +
           (seconds % 86400 / 3600 ? " " + std::to_string(seconds % 86400 / 3600) + " h" : "");
}

std::string_view SeriesColour(std::size_t series) {
    static constexpr std::string_view kColours[] = {"#1F77B4", "#2CA02C", "#9467BD", "#7F7F7F"};
    return kColours[series];
}

std::string_view SeriesName(std::size_t series) {
    static constexpr std::string_view kNames[] = {"0x10", "0x11", "0x20", "other"};
    return kNames[series];
}

ChartLayout LayOutTimeline(const Timeline& timeline, double width, double height) {
    ChartLayout chart;
    chart.width = width;
    chart.height = height;
    chart.plotLeft = kLeftMargin;
    chart.plotTop = kTopMargin;
    chart.plotWidth = width - kLeftMargin - kRightMargin;
    chart.plotHeight = height - kTopMargin - kBottomMargin;
    if (timeline.empty()) {
        chart.caption = "no message with a date and time";
        if (timeline.untimed() > 0)
            chart.caption += " (" + std::to_string(timeline.untimed()) + " without)";
        return chart;
    }
    const auto& bins = timeline.bins();
    // Only the bins from the first to the last used one are drawn, so a short span fills the width.
    std::size_t first = 0, last = 0;
    bool any = false;
    std::uint64_t highest = 0;
    for (std::size_t i = 0; i < bins.size(); ++i) {
        const std::uint64_t total = bins[i].total();
        if (total == 0)
            continue;
        first = any ? first : i;
        last = i;
        any = true;
        highest = std::max(highest, total);
    }
    const std::size_t shown = last - first + 1;
    const double slot = chart.plotWidth / static_cast<double>(shown);
    const double barWidth = std::max(1.0, slot * 0.8);
    const double perMessage = chart.plotHeight / static_cast<double>(highest);
    for (std::size_t i = first; i <= last; ++i) {
        const double x = chart.plotLeft + slot * static_cast<double>(i - first) + (slot - barWidth) / 2;
        double y = chart.plotTop + chart.plotHeight;
        for (const bool invalid : {false, true}) {
            for (std::size_t s = 0; s < Timeline::kSeries; ++s) {
                const std::uint64_t count = invalid ? bins[i].invalid[s] : bins[i].valid[s];
                if (count == 0)
                    continue;
                const double h = perMessage * static_cast<double>(count);
                y -= h;
                chart.blocks.push_back({x, y, barWidth, h, s, invalid});
            }
        }
    }
    const double baseline = chart.plotTop + chart.plotHeight;
    const std::int64_t start = timeline.origin() + static_cast<std::int64_t>(first) * timeline.width();
    const std::int64_t end = timeline.origin() + static_cast<std::int64_t>(last + 1) * timeline.width();
    chart.labels.push_back({chart.plotLeft, baseline + 16, SecondsText(start)});
    chart.labels.push_back({chart.plotLeft + chart.plotWidth, baseline + 16, SecondsText(end), true});
    chart.labels.push_back({chart.plotLeft - 4, chart.plotTop + 10, std::to_string(highest), true});
    chart.labels.push_back({chart.plotLeft - 4, baseline, "0", true});
    chart.caption = "Messages per " + SpanText(timeline.width()) + ", from " + SecondsText(timeline.first()) +
                    " to " + SecondsText(timeline.last());
    if (timeline.untimed() > 0)
        chart.caption +=
            "; " + std::to_string(timeline.untimed()) + " messages without a date and time are not shown";
    return chart;
}
