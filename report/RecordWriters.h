#pragma once

#include "report/CommissioningRecord.h"

#include <string>
#include <string_view>

// The commissioning record said in each of its forms. Each writes the same figures; a rule no message
// exercised is "not exercised" (JUnit: skipped) in every one of them, never held or passed.

struct HtmlOptions {
    std::string made; // when and by what the record was made, as the page's byline says it
    // Empty: the timeline is inline SVG. Otherwise an <img> of this source stands in its place (the
    // PDF, whose renderer does not draw SVG, paints the picture itself), of the given size.
    std::string timelineImage;
    int timelineWidth = 680;
    int timelineHeight = 180;
};

// One self-contained page: inline styles and SVG, no scripts, no other files; prints on A4.
std::string RecordHtml(const CommissioningRecord& record, const HtmlOptions& options);
// JUnit XML: one test case per rule; a failure with the reason and examples for a broken rule,
// <skipped/> for a rule not exercised; the counts in <testsuite>.
std::string RecordJunit(const CommissioningRecord& record);
// One JSON object.
std::string RecordJson(const CommissioningRecord& record);
// A few lines for standard output.
std::string RecordSummary(const CommissioningRecord& record);

// "broken", "held" or "nothing exercised": the record's result in one word or two.
std::string_view ResultWord(const CommissioningRecord& record);
