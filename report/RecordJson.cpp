#include "report/JsonText.h"
#include "report/RecordPlanForms.h"
#include "report/RecordWriters.h"
#include "report/TimelineChart.h"

namespace {

void AppendField(std::string& out, std::string_view key, const ValueCounts& values) {
    AppendJsonKey(out, key);
    out += '{';
    for (const ValueCounts::Entry& entry : values.Sorted()) {
        // The value is the key, and it may hold any character.
        if (out.back() != '{')
            out += ',';
        AppendJsonString(out, entry.text);
        out += ':' + std::to_string(entry.count);
    }
    if (values.others() > 0)
        AppendJsonNumber(out, "(others)", values.others());
    out += '}';
}

void AppendField(std::string& out, std::string_view key, const std::array<std::uint64_t, 256>& counts) {
    AppendJsonKey(out, key);
    out += '{';
    for (std::size_t floor = 1; floor < counts.size(); ++floor)
        if (counts[floor] > 0)
            AppendJsonNumber(out, std::to_string(floor), counts[floor]);
    out += '}';
}

void AppendField(std::string& out, std::string_view key, const Coverage::SeqRange& range) {
    AppendJsonKey(out, key);
    if (range.count == 0) {
        out += "null";
        return;
    }
    out += '{';
    AppendJsonNumber(out, "lowest", range.lowest);
    AppendJsonNumber(out, "highest", range.highest);
    out += '}';
}

void AppendRules(std::string& out, const RuleTally& rules) {
    AppendJsonKey(out, "rules");
    out += '[';
    for (std::size_t rule = 0; rule < RecordRules::kCount; ++rule) {
        const RecordRules::RuleInfo info = RecordRules::Info(rule);
        const RuleCount& count = rules.Of(rule);
        out += '{';
        AppendJsonText(out, "name", info.name);
        AppendJsonText(out, "kind", RecordRules::KindText(info.kind));
        AppendJsonText(out, "asks", info.description);
        AppendJsonText(out, "unit", info.unit);
        AppendJsonNumber(out, "exercised", count.exercised);
        AppendJsonNumber(out, "broken", count.broken);
        AppendJsonText(out, "verdict", VerdictText(count.verdict()));
        AppendJsonKey(out, "examples");
        out += '[';
        for (const RuleExample& example : count.examples) {
            out += '{';
            AppendJsonText(out, "source", example.source);
            AppendJsonNumber(out, "line", example.number);
            if (!example.connection.empty())
                AppendJsonText(out, "connection", example.connection);
            AppendJsonText(out, "date", example.date);
            AppendJsonText(out, "time", example.time);
            AppendJsonText(out, "place", example.place);
            AppendJsonText(out, "reason", example.reason);
            out += '}';
        }
        out += "]}";
        if (rule + 1 < RecordRules::kCount)
            out += ',';
    }
    out += ']';
}

void AppendCoverage(std::string& out, const Coverage& coverage) {
    AppendJsonKey(out, "coverage");
    out += '{';
    AppendJsonKey(out, "messages");
    out += '{';
    for (std::size_t command = 0; command < Coverage::kCommands; ++command)
        AppendJsonNumber(out, Coverage::CommandText(command), coverage.messages(command));
    out += '}';
    coverage.VisitFields(
        [&out](std::string_view, std::string_view key, const auto& field) { AppendField(out, key, field); });
    out += '}';
}

void AppendLink(std::string& out, const LinkPart& link) {
    AppendJsonKey(out, "link");
    out += "{";
    AppendJsonKey(out, "sources");
    out += '[';
    for (const SourceSpan& span : link.sources()) {
        out += '{';
        AppendJsonText(out, "source", span.source);
        AppendJsonNumber(out, "lines", span.lines);
        AppendJsonText(out, "first", span.firstDate + " " + span.firstTime);
        AppendJsonText(out, "last", span.lastDate + " " + span.lastTime);
        out += "},";
    }
    if (out.back() == ',')
        out.pop_back();
    out += ']';
    AppendJsonKey(out, "connections");
    out += '[';
    for (const ConnectionEntry& entry : link.connections()) {
        out += '{';
        AppendJsonText(out, "source", entry.source);
        AppendJsonText(out, "connection", entry.connection);
        AppendJsonText(out, "opened", entry.opened);
        AppendJsonText(out, "closed", entry.closed);
        AppendJsonNumber(out, "bytes", entry.stream.bytes);
        AppendJsonNumber(out, "messages", entry.stream.messages);
        AppendJsonNumber(out, "gaps", entry.stream.gaps);
        AppendJsonNumber(out, "missing", entry.stream.missingBytes);
        AppendJsonBool(out, "reset", entry.stream.reset);
        AppendJsonBool(out, "fin", entry.stream.fin);
        out += "},";
    }
    if (out.back() == ',')
        out.pop_back();
    out += ']';
    AppendJsonNumber(out, "more_connections", link.moreConnections());
    AppendJsonKey(out, "events");
    out += '[';
    for (const LinkEventEntry& event : link.events()) {
        out += '{';
        AppendJsonText(out, "when", event.when);
        AppendJsonText(out, "kind", event.kind);
        AppendJsonText(out, "peer", event.peer);
        if (event.durationMs >= 0)
            AppendJsonNumber(out, "duration_ms", static_cast<std::uint64_t>(event.durationMs));
        out += "},";
    }
    if (out.back() == ',')
        out.pop_back();
    out += ']';
    AppendJsonNumber(out, "dropped_events", link.droppedEvents());
    out += '}';
}

void AppendTimeline(std::string& out, const Timeline& timeline) {
    AppendJsonKey(out, "timeline");
    if (timeline.empty()) {
        out += "null";
        return;
    }
    out += '{';
    AppendJsonText(out, "start", SecondsText(timeline.origin()));
    AppendJsonNumber(out, "bin_seconds", static_cast<std::uint64_t>(timeline.width()));
    AppendJsonNumber(out, "untimed", timeline.untimed());
    AppendJsonKey(out, "bins");
    out += '[';
    for (const Timeline::Bin& bin : timeline.bins()) {
        out += '{';
        for (std::size_t s = 0; s < Timeline::kSeries; ++s)
            AppendJsonNumber(out, SeriesName(s), bin.valid[s]);
        for (std::size_t s = 0; s < Timeline::kSeries; ++s)
            AppendJsonNumber(out, std::string(SeriesName(s)) + " invalid", bin.invalid[s]);
        out += "},";
    }
    out.back() = ']';
    out += '}';
}

} // namespace

std::string RecordJson(const CommissioningRecord& record) {
    const RuleTally::Totals totals = record.rules().totals();
    std::string out = "{";
    AppendJsonText(out, "title", record.title());
    AppendJsonText(out, "result", ResultWord(record));
    AppendJsonNumber(out, "lines", record.lines());
    AppendJsonNumber(out, "messages", record.messages());
    AppendJsonNumber(out, "invalid_messages", record.invalidMessages());
    AppendJsonNumber(out, "rules_held", totals.held);
    AppendJsonNumber(out, "rules_broken", totals.broken);
    AppendJsonNumber(out, "rules_not_exercised", totals.notExercised);
    AppendPlanJson(out, record.plan());
    AppendRules(out, record.rules());
    AppendCoverage(out, record.coverage());
    AppendLink(out, record.link());
    AppendTimeline(out, record.timeline());
    out += "}\n";
    return out;
}
