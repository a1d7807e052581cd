#include "report/RecordPlan.h"

PlanOutcome OutcomeOf(const Expectation& expectation, const ExpectationTally& tally) {
    PlanOutcome outcome;
    outcome.met = Met(expectation, tally);
    const PlanState state = StateOf(tally);
    outcome.state = StateText(state);
    switch (state) {
    case PlanState::Seen:
        outcome.symbol = outcome.met ? "\u2714" : "\u25D0";
        if (!outcome.met)
            outcome.state += ", fewer than asked";
        outcome.count = tally.met;
        outcome.first = tally.firstMetTime;
        break;
    case PlanState::SeenInvalid:
        outcome.symbol = "\u2718";
        outcome.count = tally.invalid;
        outcome.first = tally.firstInvalidTime;
        break;
    case PlanState::NotSeen:
        outcome.symbol = "\u25CB";
        break;
    }
    outcome.countText = std::to_string(outcome.count);
    if (expectation.count > 1)
        outcome.countText += " of " + std::to_string(expectation.count) + " asked";
    return outcome;
}

void RecordPlan::Set(std::vector<Expectation> expectations) {
    m_matcher = expectations.empty() ? nullptr : std::make_unique<PlanMatcher>(std::move(expectations));
}
