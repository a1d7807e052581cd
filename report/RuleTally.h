#pragma once

#include "report/RecordRules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Rule by rule: how many messages (lines, connections) exercised each rule, how many broke it, and the
// first few that broke it as examples. A rule nothing exercised is "not exercised", never held.
struct RuleExample {
    std::string source;
    std::uint64_t number = 0; // line (or packet) number in the source
    std::string connection;   // packet captures
    std::string date;
    std::string time;
    std::string place;           // "message 2 of 3", "message 1 of 1, joined with the next line"
    std::string reason;          // in words
    bool countedFromEnd = false; // number counts from the source's end, until NumberFromEnd
};

enum class Verdict { NotExercised, Held, Broken };

struct RuleCount {
    std::uint64_t exercised = 0;
    std::uint64_t broken = 0;
    std::vector<RuleExample> examples; // the first kExamples breaks, in input order

    Verdict verdict() const {
        return exercised == 0 ? Verdict::NotExercised : broken > 0 ? Verdict::Broken : Verdict::Held;
    }
};

class RuleTally {
public:
    static constexpr std::size_t kExamples = 5;

    void Exercise(std::size_t rule) { ++m_counts[rule].exercised; }
    // Counts a break; true when an example of it is still wanted (then AddExample).
    bool Break(std::size_t rule) {
        RuleCount& count = m_counts[rule];
        ++count.broken;
        return count.examples.size() < kExamples;
    }
    void AddExample(std::size_t rule, RuleExample example) {
        m_counts[rule].examples.push_back(std::move(example));
    }
    // Line numbers of a source read from its end: counted from the end while reading, numbered from
    // the start once its number of lines is known.
    void NumberFromEnd(std::uint64_t lines);

    const RuleCount& Of(std::size_t rule) const { return m_counts[rule]; }

    struct Totals {
        std::size_t held = 0;
        std::size_t broken = 0;
        std::size_t notExercised = 0;
    };
    Totals totals() const;

private:
    std::array<RuleCount, RecordRules::kCount> m_counts{};
};

std::string_view VerdictText(Verdict verdict); // "held", "broken", "not exercised"
