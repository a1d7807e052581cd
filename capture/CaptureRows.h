#pragma once

#include "decode/LineMark.h"

#include <cstdint>
#include <string_view>

// The lines of a capture list as the filter reads them: row 0 is the newest line. The list grows at
// the top and loses lines at the bottom.
class CaptureRows {
public:
    virtual int Count() const = 0;
    virtual std::string_view Line(int row) const = 0;
    virtual LineMark Mark(int row) const = 0;
    // How many lines were dropped at the bottom since the list was last replaced.
    virtual std::int64_t Trimmed() const = 0;
    // Whether some lines still wait for their marks (a loaded file is marked after it is shown).
    virtual bool MarksPending() const = 0;
    // Whether the line is the first of its connection the list holds, so its bytes never continue the
    // line below: the first line a connection brought, or the first recorded on top of lines from
    // elsewhere (a file, a journal). Lines loaded from a file carry no connection.
    virtual bool StartsConnection(int /*row*/) const { return false; }

    // A line's position counted from the oldest line the list held since it was last replaced: it
    // never changes while the line is in the list.
    std::int64_t Position(int row) const { return Trimmed() + Count() - 1 - row; }
    int RowAtPosition(std::int64_t position) const {
        return static_cast<int>(Trimmed() + Count() - 1 - position);
    }

protected:
    CaptureRows() = default;
    CaptureRows(const CaptureRows&) = default;
    CaptureRows& operator=(const CaptureRows&) = default;
    ~CaptureRows() = default;
};
