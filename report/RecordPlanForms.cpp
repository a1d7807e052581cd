#include "report/RecordPlanForms.h"

#include "common/TerminalText.h"
#include "report/JsonText.h"
#include "report/MarkupText.h"

namespace {

// What the expectation asks for, in the plan's words.
std::string AsksText(const Expectation& expectation) {
    return expectation.message.empty() ? "line " + std::to_string(expectation.line) + " of the plan"
                                       : expectation.message;
}

std::string ResultText(const RecordPlan& plan) {
    const std::size_t met = plan.MetCount();
    if (met == plan.Size())
        return "\u2714 Every expectation of the plan met (" + std::to_string(met) + ").";
    return "\u2718 " + std::to_string(met) + " of " + std::to_string(plan.Size()) +
           " expectations of the plan met.";
}

void Cell(std::string& out, std::string_view text, std::string_view cls = {}) {
    out += cls.empty() ? "<td>" : "<td class=\"" + std::string(cls) + "\">";
    AppendMarkup(out, text);
    out += "</td>";
}

// "2 matching messages of 3 asked, the first at 10:15:30"
std::string MessagesText(const Expectation& expectation, const PlanOutcome& outcome) {
    std::string text =
        std::to_string(outcome.count) + (outcome.count == 1 ? " matching message" : " matching messages");
    if (expectation.count > 1)
        text += " of " + std::to_string(expectation.count) + " asked";
    if (outcome.state == StateText(PlanState::SeenInvalid))
        text += ", each breaking a rule elsewhere";
    return outcome.first.empty() ? text : text + ", the first at " + outcome.first;
}

// Why an unmet expectation failed, in one line.
std::string FailureText(const Expectation& expectation, const PlanOutcome& outcome) {
    return outcome.state + ": " +
           (outcome.count == 0 ? "no message matched" : MessagesText(expectation, outcome));
}

} // namespace

void AppendPlanHtml(std::string& out, const RecordPlan& plan) {
    if (!plan.Given())
        return;
    const bool allMet = plan.AllMet();
    out += "<h2>Test plan</h2>\n<p class=\"result " + std::string(allMet ? "held" : "broken") + "\">";
    AppendMarkup(out, ResultText(plan));
    out += "</p>\n<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">"
           "<tr><th width=\"22%\">Expectation</th><th width=\"34%\">Asks for</th><th width=\"20%\">State</th>"
           "<th width=\"12%\">First</th><th width=\"12%\">Count</th></tr>\n";
    for (std::size_t i = 0; i < plan.Size(); ++i) {
        const Expectation& expectation = plan.At(i);
        const PlanOutcome outcome = plan.Outcome(i);
        out += "<tr>";
        Cell(out, expectation.name);
        Cell(out, AsksText(expectation));
        Cell(out, std::string(outcome.symbol) + " " + outcome.state, outcome.met ? "held" : "broken");
        Cell(out, outcome.first);
        Cell(out, outcome.count == 0 && expectation.count == 1 ? "" : outcome.countText);
        out += "</tr>\n";
    }
    out +=
        "</table>\n<p>\u2714 met, \u25D0 seen fewer times than asked, \u2718 seen only breaking a rule "
        "elsewhere, \u25CB not seen. A message meets an expectation when its fields match and it breaks no "
        "rule in a field the expectation leaves out; each line is matched on its own.</p>\n";
}

void AppendPlanJson(std::string& out, const RecordPlan& plan) {
    if (!plan.Given())
        return;
    AppendJsonNumber(out, "plan_met", plan.MetCount());
    AppendJsonNumber(out, "plan_expectations", plan.Size());
    AppendJsonKey(out, "plan");
    out += '[';
    for (std::size_t i = 0; i < plan.Size(); ++i) {
        const Expectation& expectation = plan.At(i);
        const ExpectationTally& tally = plan.Tally(i);
        const PlanOutcome outcome = plan.Outcome(i);
        out += i == 0 ? "{" : ",{";
        AppendJsonText(out, "name", expectation.name);
        AppendJsonText(out, "asks", AsksText(expectation));
        AppendJsonNumber(out, "plan_line", static_cast<std::uint64_t>(expectation.line));
        AppendJsonText(out, "state", outcome.state);
        AppendJsonBool(out, "met", outcome.met);
        AppendJsonNumber(out, "count_asked", static_cast<std::uint64_t>(expectation.count));
        AppendJsonNumber(out, "valid", static_cast<std::uint64_t>(tally.met));
        AppendJsonNumber(out, "invalid", static_cast<std::uint64_t>(tally.invalid));
        AppendJsonText(out, "first", outcome.first);
        out += '}';
    }
    out += ']';
}

void AppendPlanJunit(std::string& out, const RecordPlan& plan) {
    for (std::size_t i = 0; i < plan.Size(); ++i) {
        const Expectation& expectation = plan.At(i);
        const PlanOutcome outcome = plan.Outcome(i);
        out += "    <testcase";
        AppendAttribute(out, "classname", "plan");
        AppendAttribute(out, "name", expectation.name + ": " + AsksText(expectation));
        out += ">\n";
        if (outcome.met) {
            out += "      <system-out>";
            AppendMarkup(out, "met: " + MessagesText(expectation, outcome));
            out += "</system-out>\n";
        } else {
            out += "      <failure";
            AppendAttribute(out, "type", outcome.state);
            AppendAttribute(out, "message", FailureText(expectation, outcome));
            out += "/>\n";
        }
        out += "    </testcase>\n";
    }
}

void AppendPlanSummary(std::string& out, const RecordPlan& plan) {
    if (!plan.Given())
        return;
    out += "plan: " + std::to_string(plan.MetCount()) + " of " + std::to_string(plan.Size()) + " met\n";
    for (std::size_t i = 0; i < plan.Size(); ++i) {
        const PlanOutcome outcome = plan.Outcome(i);
        if (outcome.met)
            continue;
        out += "  ";
        AppendTerminalText(out, plan.At(i).name);
        out += ": ";
        AppendTerminalText(out, FailureText(plan.At(i), outcome)); // the time comes from the input
        out += '\n';
    }
}
