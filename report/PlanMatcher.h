#pragma once

#include "decode/DecodeTable.h"
#include "decode/Framing.h"
#include "report/TestPlan.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How far an expectation of a plan has come.
struct ExpectationTally {
    int met = 0;     // valid messages that match it
    int invalid = 0; // messages that match it but break a rule in a field it does not ask for
    // Where the first of each came (the caller's numbering of lines) and the time its line shows.
    std::int64_t firstMet = -1;
    std::int64_t firstInvalid = -1;
    std::string firstMetTime;
    std::string firstInvalidTime;
};

enum class PlanState : std::uint8_t { NotSeen, Seen, SeenInvalid };
PlanState StateOf(const ExpectationTally& tally);
// "not seen", "seen", "seen, invalid"
std::string_view StateText(PlanState state);
// The expectation is met: at least its count of valid matching messages came.
inline bool Met(const Expectation& expectation, const ExpectationTally& tally) {
    return tally.met >= expectation.count;
}

// Matches capture lines against a plan, line after line, and keeps each expectation's tally. Every message
// of a line counts (a read can hold several); a message meets an expectation when its fields equal the
// ones the expectation gives and the decoder finds no field red except, perhaps, those very fields (a
// plan may ask for a wrong value on purpose). Whether a field is red is the decode table's own verdict,
// so the plan judges exactly as the window shows. A message cut short by the end of its line is judged
// as the decoder judges it: on the fields it holds, with the missing ones red.
class PlanMatcher {
public:
    explicit PlanMatcher(std::vector<Expectation> expectations);

    // where: the caller's number for the line (a position in the list, a line of a file), kept for the
    // first match of each expectation.
    void MatchLine(std::string_view line, std::int64_t where);
    // The expectations whose tally the last MatchLine changed, each once.
    const std::vector<int>& Changed() const { return m_changed; }
    // Every tally back to "not seen", to evaluate the plan again from the first line.
    void Reset();

    const std::vector<Expectation>& Expectations() const { return m_expectations; }
    const std::vector<ExpectationTally>& Tallies() const { return m_tallies; }
    // How many expectations are met.
    int MetCount() const;

    // A message's fields as one comparable value: command, gate, destination floor, door, attribution
    // and sequence number, a byte each place (16 bytes in two words).
    struct Key {
        std::array<std::uint64_t, 2> bytes{};
        std::array<std::uint64_t, 2> mask{}; // the bytes that count (expectation) or are missing (message)
    };

private:
    struct Compiled {
        Key key;
        std::uint8_t fields = 0; // red-field bits the expectation asks for itself
        int floors = -1;         // index into m_floors when it asks for the floors
        int index = 0;           // of the expectation
    };
    void MatchMessage(std::string_view line, std::int64_t where);
    void Count(int index, bool valid, std::string_view line, std::int64_t where);

    std::vector<Expectation> m_expectations;
    std::vector<Compiled> m_compiled; // grouped by command, so a message looks only at its own
    std::array<std::pair<int, int>, 256> m_byCommand{}; // each command's range of m_compiled
    std::vector<FloorBits> m_floors;
    std::vector<ExpectationTally> m_tallies;
    std::vector<int> m_changed;
    DecodeTable m_table;
    MessageTokens m_tokens;
    MessageTokens m_message;
    std::vector<MessageSpan> m_spans;
};
