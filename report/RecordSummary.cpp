#include "report/RecordWriters.h"

#include "common/TerminalText.h"
#include "report/RecordPlanForms.h"

std::string_view ResultWord(const CommissioningRecord& record) {
    const RuleTally::Totals totals = record.rules().totals();
    if (totals.broken > 0)
        return "broken";
    return totals.held == 0 ? "nothing exercised" : "held";
}

std::string RecordSummary(const CommissioningRecord& record) {
    const RuleTally::Totals totals = record.rules().totals();
    std::string out = "Commissioning record";
    if (!record.title().empty()) {
        out += ": ";
        AppendTerminalText(out, record.title());
    }
    out += "\n" + std::to_string(record.lines()) + " lines, " + std::to_string(record.messages()) +
           " messages, " + std::to_string(record.invalidMessages()) + " invalid\n";
    out += "rules: " + std::to_string(totals.held) + " held, " + std::to_string(totals.broken) + " broken, " +
           std::to_string(totals.notExercised) + " not exercised\n";
    std::string broken, idle;
    for (std::size_t rule = 0; rule < RecordRules::kCount; ++rule) {
        const RuleCount& count = record.rules().Of(rule);
        const std::string_view name = RecordRules::Info(rule).name;
        if (count.verdict() == Verdict::Broken)
            broken += "  " + std::string(name) + ": " + std::to_string(count.broken) + " of " +
                      std::to_string(count.exercised) + " " + std::string(RecordRules::Info(rule).unit) +
                      "s\n";
        else if (count.verdict() == Verdict::NotExercised)
            idle += (idle.empty() ? "" : ", ") + std::string(name);
    }
    if (!broken.empty())
        out += "broken:\n" + broken;
    if (!idle.empty())
        out += "not exercised: " + idle + "\n";
    AppendPlanSummary(out, record.plan());
    out += "result: ";
    out += ResultWord(record);
    out += totals.broken == 0 && totals.notExercised > 0 ? " where exercised" : "";
    out += record.plan().AllMet() ? "\n" : "; plan not met\n";
    return out;
}
