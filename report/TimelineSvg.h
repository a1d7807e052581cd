#pragma once

#include "report/TimelineChart.h"

#include <string>

// The timeline chart as inline SVG: valid messages in solid colour, invalid ones hatched and outlined in
// black, with a legend in words.
void AppendTimelineSvg(std::string& out, const ChartLayout& chart);
