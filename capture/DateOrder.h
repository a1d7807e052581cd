#pragma once

#include <string>
#include <string_view>

// The fixed date 22 November 2012, as text the system's short date format can be applied to.
inline constexpr int kSampleYear = 2012;
inline constexpr int kSampleMonth = 11;
inline constexpr int kSampleDay = 22;

// FormatText from the sample date as the system's short date format writes it: "[mm/dd/yyyy]" when
// it starts with "11", "[dd/mm/yyyy]" when it starts with "22", "[yyyy/mm/dd]" otherwise, then a blank
// and "[hh:mm:ss]".
std::string MakeFormatText(std::string_view formattedSample);
