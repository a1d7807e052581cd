#pragma once

#include "decode/FieldWords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A test plan: the messages a commissioning visit expects, one a line, each a name, a colon and the
// message in the words of `send --command`:
//
//     Gate 3 to floor 15: 10 --gate 3 --dest-floor 15 --door front
//     Heartbeat: 11 --count 3
//
// A field left out matches any value; --count N asks for at least N matching messages. Blank lines and
// lines that start with "#" are notes.
struct Expectation {
    std::string name;
    std::string message;    // the words after the colon, as the plan writes them
    MessageFields fields;   // the values asked for; the fields not given keep their defaults
    std::uint8_t given = 0; // one bit per FieldWord the line sets
    int count = 1;          // matching messages needed
    int line = 0;           // where it stands in the plan, from 1

    bool Gives(FieldWord word) const { return (given >> static_cast<int>(word) & 1) != 0; }
};

struct TestPlan {
    std::vector<Expectation> expectations;
    // A plan that does not parse is refused whole: the first line at fault (0: the plan as a whole) and
    // what is wrong with it. Empty when the plan is good.
    int errorLine = 0;
    std::string error;

    bool Ok() const { return error.empty(); }
    // "line 3: --door: a message of command 20 has no such field"
    std::string ErrorText() const;
};

// Plans are short; a larger file is not one.
inline constexpr std::size_t kMaxPlanBytes = std::size_t{1} << 20;
inline constexpr int kMaxCount = 1'000'000;

TestPlan ParseTestPlan(std::string_view text);
// Reads the whole file, then parses it; a file that cannot be read is refused with the reason.
TestPlan LoadTestPlan(const std::string& path);
