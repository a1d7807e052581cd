#include "capture/DateOrder.h"

std::string MakeFormatText(std::string_view formattedSample) {
    // Only the leading field tells the order; the month is tried before the day.
    const std::string_view lead = formattedSample.substr(0, 2);
    std::string text = lead == "11" ? "[mm/dd/yyyy]" : lead == "22" ? "[dd/mm/yyyy]" : "[yyyy/mm/dd]";
    text += " [hh:mm:ss]";
    return text;
}
