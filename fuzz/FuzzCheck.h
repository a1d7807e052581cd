#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a crash: name it and abort, so libFuzzer keeps the input.
// (The names are unique, which is all a location would add; clang 14 has no std::source_location.)
inline void Check(bool holds, const char* invariant) {
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}
