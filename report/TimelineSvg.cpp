#include "report/TimelineSvg.h"

#include "report/MarkupText.h"

#include <cstdio>

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

} // namespace

void AppendTimelineSvg(std::string& out, const ChartLayout& chart) {
    const double legendHeight = 20;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" width=\"" + Number(chart.width) +
           "\" height=\"" + Number(chart.height + legendHeight) + "\" viewBox=\"0 0 " + Number(chart.width) +
           " " + Number(chart.height + legendHeight) +
           "\" font-family=\"sans-serif\" font-size=\"10\">\n<title>";
    AppendMarkup(out, chart.caption);
    out += "</title>\n<defs>\n";
    for (std::size_t s = 0; s < Timeline::kSeries; ++s) {
        const std::string colour(SeriesColour(s));
        out += "<pattern id=\"hatch" + std::to_string(s) +
               "\" patternUnits=\"userSpaceOnUse\" width=\"5\" height=\"5\" patternTransform=\"rotate(45)\">"
               "<rect width=\"5\" height=\"5\" fill=\"#FFFFFF\"/><rect width=\"2.5\" height=\"5\" fill=\"" +
               colour + "\"/></pattern>\n";
    }
    out += "</defs>\n";
    const double baseline = chart.plotTop + chart.plotHeight;
    out += "<line x1=\"" + Number(chart.plotLeft) + "\" y1=\"" + Number(baseline) + "\" x2=\"" +
           Number(chart.plotLeft + chart.plotWidth) + "\" y2=\"" + Number(baseline) +
           "\" stroke=\"#000000\"/>\n";
    out += "<line x1=\"" + Number(chart.plotLeft) + "\" y1=\"" + Number(chart.plotTop) + "\" x2=\"" +
           Number(chart.plotLeft) + "\" y2=\"" + Number(baseline) + "\" stroke=\"#000000\"/>\n";
    for (const ChartBlock& block : chart.blocks) {
        out += "<rect x=\"" + Number(block.x) + "\" y=\"" + Number(block.y) + "\" width=\"" +
               Number(block.width) + "\" height=\"" + Number(block.height) + "\" fill=\"";
        if (block.invalid)
            out += "url(#hatch" + std::to_string(block.series) +
                   ")\" stroke=\"#000000\" stroke-width=\"0.8\"/>\n";
        else
            out += std::string(SeriesColour(block.series)) + "\"/>\n";
    }
    for (const ChartLabel& label : chart.labels) {
        out += "<text x=\"" + Number(label.x) + "\" y=\"" + Number(label.y) + "\"";
        if (label.alignRight)
            out += " text-anchor=\"end\"";
        out += '>';
        AppendMarkup(out, label.text);
        out += "</text>\n";
    }
    // The legend: a solid and a hatched key for each command, then what the two mean.
    double x = chart.plotLeft;
    const double y = chart.height + 4;
    for (std::size_t s = 0; s < Timeline::kSeries; ++s) {
        out += "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"10\" height=\"10\" fill=\"" +
               std::string(SeriesColour(s)) + "\"/>";
        out += "<rect x=\"" + Number(x + 12) + "\" y=\"" + Number(y) +
               "\" width=\"10\" height=\"10\" fill=\"url(#hatch" + std::to_string(s) +
               ")\" stroke=\"#000000\" stroke-width=\"0.8\"/>";
        out += "<text x=\"" + Number(x + 26) + "\" y=\"" + Number(y + 9) + "\">" +
               std::string(SeriesName(s)) + "</text>\n";
        x += kLegendStep;
    }
    out += "<text x=\"" + Number(x) + "\" y=\"" + Number(y + 9) + "\">" + std::string(kLegendMeaning) +
           "</text>\n";
    out += "</svg>\n";
}
