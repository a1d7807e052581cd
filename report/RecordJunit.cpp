#include "report/MarkupText.h"
#include "report/RecordPlanForms.h"
#include "report/RecordWriters.h"

namespace {

std::string ExampleText(const RuleExample& example) {
    std::string text = example.source + ":" + std::to_string(example.number);
    if (!example.connection.empty())
        text += "  " + example.connection;
    if (!example.date.empty() || !example.time.empty())
        text += "  [" + example.date + "] [" + example.time + "]";
    return text + "  " + example.place + ": " + example.reason;
}

} // namespace

std::string RecordJunit(const CommissioningRecord& record) {
    const RuleTally::Totals totals = record.rules().totals();
    const std::string suiteName = record.title().empty() ? "commissioning record" : record.title();
    const RecordPlan& plan = record.plan();
    const std::string tests = std::to_string(RecordRules::kCount + plan.Size());
    const std::string failures = std::to_string(totals.broken + (plan.Size() - plan.MetCount()));
    const std::string skipped = std::to_string(totals.notExercised);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    // The counts on both levels: CI systems read one or the other.
    for (const std::string_view element : {"<testsuites", "  <testsuite"}) {
        out += element;
        AppendAttribute(out, "name", suiteName);
        AppendAttribute(out, "tests", tests);
        AppendAttribute(out, "failures", failures);
        AppendAttribute(out, "errors", "0");
        AppendAttribute(out, "skipped", skipped);
        out += ">\n";
    }
    out += "    <properties>\n";
    const auto property = [&out](std::string_view name, std::uint64_t value) {
        out += "      <property";
        AppendAttribute(out, "name", name);
        AppendAttribute(out, "value", std::to_string(value));
        out += "/>\n";
    };
    property("lines", record.lines());
    property("messages", record.messages());
    property("invalid_messages", record.invalidMessages());
    out += "    </properties>\n";
    for (std::size_t rule = 0; rule < RecordRules::kCount; ++rule) {
        const RecordRules::RuleInfo info = RecordRules::Info(rule);
        const RuleCount& count = record.rules().Of(rule);
        const std::string unit = std::string(info.unit) + "s";
        out += "    <testcase";
        AppendAttribute(out, "classname",
                        std::string("record.") + std::string(RecordRules::KindText(info.kind)));
        AppendAttribute(out, "name", std::string(info.name) + ": " + std::string(info.description));
        switch (count.verdict()) {
        case Verdict::NotExercised:
            out += ">\n      <skipped";
            AppendAttribute(out, "message",
                            "not exercised: no " + std::string(info.unit) + " gave evidence either way");
            out += "/>\n    </testcase>\n";
            break;
        case Verdict::Held:
            out += ">\n      <system-out>";
            AppendMarkup(out, "held by all " + std::to_string(count.exercised) + " " + unit);
            out += "</system-out>\n    </testcase>\n";
            break;
        case Verdict::Broken: {
            out += ">\n      <failure";
            AppendAttribute(out, "type", "broken");
            AppendAttribute(out, "message",
                            "broken by " + std::to_string(count.broken) + " of " +
                                std::to_string(count.exercised) + " " + unit + ": " +
                                count.examples.front().reason);
            out += '>';
            for (const RuleExample& example : count.examples) {
                AppendMarkup(out, ExampleText(example));
                out += '\n';
            }
            out += "</failure>\n    </testcase>\n";
            break;
        }
        }
    }
    AppendPlanJunit(out, plan);
    out += "  </testsuite>\n</testsuites>\n";
    return out;
}
