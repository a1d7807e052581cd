#pragma once

#include "report/PlanMatcher.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Where an expectation of the plan stands at the end of a record, in the words every form of the
// record uses. It is met only when at least its count of valid matching messages came; "seen" with
// fewer, "seen, invalid" and "not seen" are unmet.
struct PlanOutcome {
    bool met = false;
    std::string_view symbol; // met, seen fewer than asked, seen only invalid, not seen
    std::string state;       // "seen", "seen, fewer than asked", "seen, invalid", "not seen"
    int count = 0;           // valid matching messages, or the invalid ones when no valid one came
    std::string countText;   // "2", or "2 of 3 asked" when the plan asks for more than one
    std::string first;       // the time the first of them shows; empty when not seen
};
PlanOutcome OutcomeOf(const Expectation& expectation, const ExpectationTally& tally);

// The test plan a record is checked against, if it has one: each line the record is fed is matched
// against it too, as the window's checklist matches the list's lines.
class RecordPlan {
public:
    // An empty plan is no plan.
    void Set(std::vector<Expectation> expectations);
    bool Given() const { return m_matcher != nullptr; }
    void AddLine(std::string_view line, std::uint64_t number) {
        if (m_matcher)
            m_matcher->MatchLine(line, static_cast<std::int64_t>(number));
    }

    std::size_t Size() const { return m_matcher ? m_matcher->Expectations().size() : 0; }
    const Expectation& At(std::size_t i) const { return m_matcher->Expectations()[i]; }
    const ExpectationTally& Tally(std::size_t i) const { return m_matcher->Tallies()[i]; }
    PlanOutcome Outcome(std::size_t i) const { return OutcomeOf(At(i), Tally(i)); }
    std::size_t MetCount() const { return m_matcher ? static_cast<std::size_t>(m_matcher->MetCount()) : 0; }
    bool AllMet() const { return MetCount() == Size(); }

private:
    std::unique_ptr<PlanMatcher> m_matcher;
};
