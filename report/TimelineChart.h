#pragma once

#include "report/Timeline.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The timeline laid out as a bar chart, in the units of the picture, for the writers that draw it: the
// HTML as SVG, the PDF with a painter. Each bin is a bar of stacked blocks, the valid messages of each
// command from the bottom, then the invalid ones of each command, drawn hatched and outlined so that
// they differ by more than colour.
struct ChartBlock {
    double x, y, width, height;
    std::size_t series; // Timeline::Series
    bool invalid;
};

struct ChartLabel {
    double x, y;
    std::string text;
    bool alignRight = false;
};

struct ChartLayout {
    double width = 0, height = 0;
    double plotLeft = 0, plotTop = 0, plotWidth = 0, plotHeight = 0;
    std::vector<ChartBlock> blocks;
    std::vector<ChartLabel> labels; // axis texts
    std::string caption;            // "60 bins of 2 min; 12 messages without a date and time"
};

ChartLayout LayOutTimeline(const Timeline& timeline, double width, double height);

// The legend under the chart: for each series a solid and a hatched key and its name, kLegendStep apart,
// then what solid and hatched mean.
inline constexpr double kLegendStep = 70;
inline constexpr std::string_view kLegendMeaning = "solid: valid, hatched and outlined: invalid";

// The colour of each series (#RRGGBB) and its name in the legend.
std::string_view SeriesColour(std::size_t series);
std::string_view SeriesName(std::size_t series);

// "2026-12-07 15:05:25": seconds of the record's local clock as text.
std::string SecondsText(std::int64_t seconds);
// "1 s", "2 min 8 s": a bin's width.
std::string SpanText(std::int64_t seconds);
