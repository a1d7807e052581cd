#include "report/RuleTally.h"

void RuleTally::NumberFromEnd(std::uint64_t lines) {
    for (RuleCount& count : m_counts)
        for (RuleExample& example : count.examples)
            if (example.countedFromEnd) {
                example.number = lines + 1 - example.number;
                example.countedFromEnd = false;
            }
}

RuleTally::Totals RuleTally::totals() const {
    Totals totals;
    for (const RuleCount& count : m_counts) {
        switch (count.verdict()) {
        case Verdict::Held:
            ++totals.held;
            break;
        case Verdict::Broken:
            ++totals.broken;
            break;
        case Verdict::NotExercised:
            ++totals.notExercised;
            break;
        }
    }
    return totals;
}

std::string_view VerdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Held:
        return "held";
    case Verdict::Broken:
        return "broken";
    case Verdict::NotExercised:
        return "not exercised";
    }
    return {};
}
