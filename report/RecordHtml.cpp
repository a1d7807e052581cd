#include "report/MarkupText.h"
#include "report/RecordPlanForms.h"
#include "report/RecordWriters.h"
#include "report/TimelineSvg.h"

namespace {

// Styles for the browser and for print on A4; the PDF's renderer reads the table attributes instead.
constexpr std::string_view kStyle = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10pt; margin: 1.5em; color: #000; }
h1 { font-size: 16pt; margin-bottom: 0.2em; }
h2 { font-size: 13pt; border-bottom: 1px solid #888; margin-top: 1.4em; }
h3 { font-size: 11pt; margin-bottom: 0.3em; }
table { border-collapse: collapse; margin: 0.4em 0; }
th, td { border: 1px solid #999; padding: 2px 6px; text-align: left; vertical-align: top; }
th { background: #E8E8E8; }
td.n { text-align: right; }
tr.group th { background: #D0D8E8; }
.broken { background: #FFD6D6; font-weight: bold; }
.held { background: #D9F2D9; }
.idle { background: #EEEEEE; font-style: italic; }
.result { font-size: 12pt; padding: 6px; border: 2px solid #000; }
.title { font-size: 13pt; font-weight: bold; }
@page { size: A4; margin: 15mm; }
@media print { body { margin: 0; } h2 { break-after: avoid; } tr { break-inside: avoid; } }
)";

void Text(std::string& out, std::string_view text) {
    AppendMarkup(out, text);
}

void Cell(std::string& out, std::string_view text, std::string_view cls = {}) {
    out += cls.empty() ? "<td>" : "<td class=\"" + std::string(cls) + "\">";
    Text(out, text);
    out += "</td>";
}

void NumberCell(std::string& out, std::uint64_t value) {
    out += "<td class=\"n\">" + std::to_string(value) + "</td>";
}

std::string_view VerdictClass(Verdict verdict) {
    return verdict == Verdict::Broken ? "broken" : verdict == Verdict::Held ? "held" : "idle";
}

// The verdict as a symbol and a word, so that colour is never the only cue.
std::string VerdictLabel(Verdict verdict) {
    switch (verdict) {
    case Verdict::Broken:
        return "\u2718 broken";
    case Verdict::Held:
        return "\u2714 held";
    case Verdict::NotExercised:
        return "\u2013 not exercised";
    }
    return {};
}

// The attributes are for the PDF's renderer, which reads no table styles.
constexpr std::string_view kTable = "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">";

void AppendResult(std::string& out, const CommissioningRecord& record) {
    const RuleTally::Totals totals = record.rules().totals();
    std::string text;
    if (totals.broken > 0)
        text = "\u2718 Broken: " + std::to_string(totals.broken) + " of " +
               std::to_string(RecordRules::kCount) + " rules broken.";
    else if (totals.held == 0)
        text = "\u2013 Nothing exercised: no rule has evidence either way.";
    else
        text = "\u2714 Every exercised rule held.";
    if (totals.notExercised > 0)
        text +=
            totals.notExercised == 1
                ? " 1 rule was not exercised: there is no evidence for it, and it is not counted as held."
                : " " + std::to_string(totals.notExercised) +
                      " rules were not exercised: there is no evidence for them, and they are not counted as "
                      "held.";
    const RecordPlan& plan = record.plan();
    if (!plan.AllMet())
        text += " \u2718 The test plan is not met: " + std::to_string(plan.MetCount()) + " of " +
                std::to_string(plan.Size()) + " expectations.";
    out += "<p class=\"result " +
           std::string(totals.broken > 0 || !plan.AllMet() ? "broken"
                       : totals.held == 0                  ? "idle"
                                                           : "held") +
           "\">";
    Text(out, text);
    out += "</p>\n";
    out += std::string(kTable) +
           "<tr><th>Lines</th><th>Messages</th><th>Invalid messages</th><th>Rules held</th>"
           "<th>Rules broken</th><th>Rules not exercised</th></tr>\n<tr>";
    for (const std::uint64_t value :
         {record.lines(), record.messages(), record.invalidMessages(), std::uint64_t{totals.held},
          std::uint64_t{totals.broken}, std::uint64_t{totals.notExercised}})
        NumberCell(out, value);
    out += "</tr></table>\n";
}

void AppendRules(std::string& out, const RuleTally& rules) {
    out += "<h2>Rule by rule</h2>\n";
    out +=
        std::string(kTable) +
        "<tr><th width=\"21%\">Rule</th><th width=\"37%\">What it asks</th><th width=\"14%\">Exercised</th>"
        "<th width=\"11%\">Broken</th><th width=\"17%\">Verdict</th></tr>\n";
    bool first = true;
    RecordRules::Kind kind{};
    for (std::size_t rule = 0; rule < RecordRules::kCount; ++rule) {
        const RecordRules::RuleInfo info = RecordRules::Info(rule);
        if (first || info.kind != kind) {
            out += "<tr class=\"group\"><th colspan=\"5\">";
            Text(out, RecordRules::KindText(info.kind));
            out += info.kind == RecordRules::Kind::LeftOut ? " (checks of the record's own)" : "";
            out += "</th></tr>\n";
            kind = info.kind;
            first = false;
        }
        const RuleCount& count = rules.Of(rule);
        out += "<tr>";
        Cell(out, info.name);
        Cell(out, info.description);
        NumberCell(out, count.exercised);
        NumberCell(out, count.broken);
        Cell(out, VerdictLabel(count.verdict()), VerdictClass(count.verdict()));
        out += "</tr>\n";
    }
    out += "</table>\n<p>Exercised and broken count messages, except where a rule counts lines or "
           "connections.</p>\n";
}

void AppendExamples(std::string& out, const RuleTally& rules) {
    bool any = false;
    for (std::size_t rule = 0; rule < RecordRules::kCount; ++rule) {
        const RuleCount& count = rules.Of(rule);
        if (count.verdict() != Verdict::Broken)
            continue;
        if (!any)
            out += "<h2>Broken rules: examples</h2>\n";
        any = true;
        const RecordRules::RuleInfo info = RecordRules::Info(rule);
        out += "<h3>";
        Text(out, std::string(info.name) + ": broken by " + std::to_string(count.broken) + " of " +
                      std::to_string(count.exercised) + " " + std::string(info.unit) + "s");
        out += "</h3>\n" + std::string(kTable) +
               "<tr><th>Where</th><th>Date</th><th>Time</th><th>Place</th><th>Reason</th></tr>\n";
        for (const RuleExample& example : count.examples) {
            out += "<tr>";
            Cell(out, example.source + ":" + std::to_string(example.number) +
                          (example.connection.empty() ? "" : " " + example.connection));
            Cell(out, example.date);
            Cell(out, example.time);
            Cell(out, example.place);
            Cell(out, example.reason);
            out += "</tr>\n";
        }
        out += "</table>\n";
    }
}

void AppendFieldRow(std::string& out, std::string_view name, const ValueCounts& values) {
    out += "<tr>";
    Cell(out, name);
    // The most frequent values; a page of ten thousand gate numbers would hide the rest of the record.
    constexpr std::size_t kShown = 40;
    std::string text;
    const std::vector<ValueCounts::Entry> entries = values.Sorted();
    for (std::size_t i = 0; i < entries.size() && i < kShown; ++i)
        text += (text.empty() ? "" : ", ") + entries[i].text + " \u00D7" + std::to_string(entries[i].count);
    if (entries.size() > kShown)
        text += ", and " + std::to_string(entries.size() - kShown) + " more values (all of them in the JSON)";
    if (values.others() > 0)
        text += ", and " + std::to_string(values.others()) + " messages with values past the first " +
                std::to_string(ValueCounts::kMostValues) + " distinct ones";
    Cell(out, values.empty() ? "none seen" : text);
    out += "</tr>\n";
}

void AppendFieldRow(std::string& out, std::string_view name, const std::array<std::uint64_t, 256>& counts) {
    std::string text;
    for (const FloorRun& run : FloorRuns(counts))
        text += (text.empty() ? "" : ", ") + std::to_string(run.first) +
                (run.last != run.first ? "\u2013" + std::to_string(run.last) : "") + " \u00D7" +
                std::to_string(run.count);
    out += "<tr>";
    Cell(out, name);
    Cell(out, text.empty() ? "none seen" : text);
    out += "</tr>\n";
}

void AppendFieldRow(std::string& out, std::string_view name, const Coverage::SeqRange& range) {
    out += "<tr>";
    Cell(out, name);
    Cell(out, range.count == 0 ? "none seen"
                               : std::to_string(range.lowest) + " to " + std::to_string(range.highest) +
                                     " (" + std::to_string(range.count) + " messages)");
    out += "</tr>\n";
}

void AppendCoverage(std::string& out, const Coverage& coverage) {
    out += "<h2>Coverage</h2>\n" + std::string(kTable) + "<tr>";
    for (std::size_t command = 0; command < Coverage::kCommands; ++command) {
        out += "<th>";
        Text(out, Coverage::CommandText(command));
        out += "</th>";
    }
    out += "</tr>\n<tr>";
    for (std::size_t command = 0; command < Coverage::kCommands; ++command)
        NumberCell(out, coverage.messages(command));
    out += "</tr></table>\n" + std::string(kTable) +
           "<tr><th>Field</th><th>Values seen \u00D7 messages</th></tr>\n";
    coverage.VisitFields([&out](std::string_view caption, std::string_view, const auto& field) {
        AppendFieldRow(out, caption, field);
    });
    out += "</table>\n";
}

void AppendLink(std::string& out, const LinkPart& link) {
    out += "<h2>The link</h2>\n";
    if (link.sources().empty() && link.connections().empty() && link.events().empty()) {
        out += "<p>Nothing is known of the link.</p>\n";
        return;
    }
    if (!link.sources().empty()) {
        out += std::string(kTable) +
               "<tr><th>Capture lines from</th><th>Lines</th><th>First</th><th>Last</th></tr>\n";
        for (const SourceSpan& span : link.sources()) {
            out += "<tr>";
            Cell(out, span.source);
            NumberCell(out, span.lines);
            Cell(out, "[" + span.firstDate + "] [" + span.firstTime + "]");
            Cell(out, "[" + span.lastDate + "] [" + span.lastTime + "]");
            out += "</tr>\n";
        }
        out += "</table>\n";
    }
    if (!link.connections().empty()) {
        out += std::string(kTable) + "<tr><th>Connection</th><th>Opened</th><th>Ended</th><th>Bytes</th>"
                                     "<th>Messages</th><th>Gaps</th><th>How it ended</th></tr>\n";
        for (const ConnectionEntry& entry : link.connections()) {
            out += "<tr>";
            Cell(out, entry.connection);
            Cell(out, entry.opened);
            Cell(out, entry.closed);
            NumberCell(out, entry.stream.bytes);
            NumberCell(out, entry.stream.messages);
            Cell(out,
                 entry.stream.gaps == 0 ? "none"
                                        : std::to_string(entry.stream.gaps) + " (" +
                                              std::to_string(entry.stream.missingBytes) + " bytes missing)",
                 entry.stream.gaps == 0 ? "" : "broken");
            Cell(out, entry.stream.reset ? "reset"
                      : entry.stream.fin ? "closed (FIN)"
                                         : "open at the end of the capture");
            out += "</tr>\n";
        }
        out += "</table>\n";
        if (link.moreConnections() > 0)
            out += "<p>" + std::to_string(link.moreConnections()) +
                   " more connections are counted but not listed.</p>\n";
    }
    if (!link.events().empty()) {
        out += std::string(kTable) + "<tr><th>When</th><th>Event</th><th>Peer</th><th>Lasted</th></tr>\n";
        for (const LinkEventEntry& event : link.events()) {
            out += "<tr>";
            Cell(out, event.when);
            Cell(out, event.kind);
            Cell(out, event.peer);
            Cell(out, event.durationMs >= 0 ? DurationText(event.durationMs) : "");
            out += "</tr>\n";
        }
        out += "</table>\n";
    }
    if (link.droppedEvents() > 0)
        out += "<p>" + std::to_string(link.droppedEvents()) +
               " older link events were dropped before this record.</p>\n";
}

void AppendTimeline(std::string& out, const Timeline& timeline, const HtmlOptions& options) {
    out += "<h2>Timeline</h2>\n";
    const ChartLayout chart = LayOutTimeline(timeline, options.timelineWidth, options.timelineHeight);
    if (!timeline.empty()) {
        if (options.timelineImage.empty()) {
            AppendTimelineSvg(out, chart);
        } else {
            out += "<p><img src=\"";
            Text(out, options.timelineImage);
            out += "\" width=\"" + std::to_string(options.timelineWidth) + "\" height=\"" +
                   std::to_string(options.timelineHeight + 20) + "\" alt=\"timeline\"></p>\n";
        }
    }
    out += "<p>";
    Text(out, chart.caption);
    out += ". Solid blocks are valid messages, hatched and outlined blocks invalid ones.</p>\n";
}

} // namespace

std::string RecordHtml(const CommissioningRecord& record, const HtmlOptions& options) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    Text(out, record.title().empty() ? std::string("Commissioning record")
                                     : "Commissioning record: " + record.title());
    out += "</title>\n<style>" + std::string(kStyle) +
           "</style>\n</head>\n<body>\n<h1>Commissioning record</h1>\n";
    if (!record.title().empty()) {
        out += "<p class=\"title\">";
        Text(out, record.title());
        out += "</p>\n";
    }
    if (!options.made.empty()) {
        out += "<p>";
        Text(out, options.made);
        out += "</p>\n";
    }
    AppendResult(out, record);
    AppendPlanHtml(out, record.plan());
    AppendRules(out, record.rules());
    AppendExamples(out, record.rules());
    AppendCoverage(out, record.coverage());
    AppendLink(out, record.link());
    AppendTimeline(out, record.timeline(), options);
    out += "</body>\n</html>\n";
    return out;
}
