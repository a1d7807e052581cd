#pragma once

#include "decode/DecodeTable.h"
#include "decode/Framing.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The messages of one capture line as the operator steps through them. A TCP read is not a message:
// a line may hold several, end in the first part of one whose rest came with the next read (the newer
// line above it, as the list is newest first), or start with the rest of one begun on the line below.
//
// Step 0 is always the whole line, decoded as a plain selection decodes it. Then, in order: the
// message the line finishes, joined with the line(s) below; each further message of the line alone;
// and the line's last message, when it is cut short, joined with the newer line(s) above.
//
// Framing never crosses the start of a connection: the first line a connection brought starts on a
// message whatever the line below left unfinished, and nothing is joined across it.
class LineMessages {
public:
    // The byte text of a row of the list (row 0 the newest line).
    using ByteTextAt = std::function<std::string_view(int row)>;
    // Whether a connection starts at a row; empty for lines that carry no connection (a loaded file).
    using StartsConnectionAt = std::function<bool(int row)>;

    // Messages and their rests are followed across at most this many lines: no message is longer
    // than 259 bytes, and looking further back would only guess from older and older reads.
    static constexpr int kMaxLines = 8;

    LineMessages(const ByteTextAt& byteTextAt, int lineCount, int row,
                 const StartsConnectionAt& startsConnectionAt = {});

    int StepCount() const { return static_cast<int>(m_steps.size()); }

    struct Step {
        MessageTokens tokens; // step 0: the whole line's tokens
        std::string label;    // "message 2 of 3", "message 3 of 3, joined with the next line", ...
    };
    Step Take(int step) const;

    // Bytes at the line's start that finish a message begun on an older line.
    std::size_t Carry() const { return m_carry; }
    // The messages that start in the line, after the carry.
    const std::vector<MessageSpan>& Spans() const { return m_spans; }

private:
    enum class Kind { WholeLine, FinishedHere, Alone, JoinedNewer };
    struct Entry {
        Kind kind;
        std::size_t span = 0;
    };
    struct Joined {
        MessageTokens tokens;
        int lines = 0;             // lines joined beyond the one the message starts in
        std::uint64_t shortBy = 0; // bytes still missing after the newest line joined
    };
    // The message that starts at token first of row, taken on into the newer lines until it is whole.
    Joined Join(int row, std::size_t first, std::uint64_t length) const;
    MessageTokens TokensOf(int row) const;
    bool StartsConnection(int row) const { return m_startsConnectionAt && m_startsConnectionAt(row); }
    std::string MessageLabel(std::size_t span) const;

    ByteTextAt m_byteTextAt;
    StartsConnectionAt m_startsConnectionAt;
    int m_row;
    MessageTokens m_tokens;
    std::uint64_t m_pending = 0; // bytes owed to that message when this line starts
    std::size_t m_carry = 0;
    int m_olderRow = -1; // where the message the carry finishes starts
    std::size_t m_olderFirst = 0;
    std::uint64_t m_olderLength = 0;
    int m_olderLines = 0; // lines between that start and this line, this line included
    std::vector<MessageSpan> m_spans;
    std::vector<Entry> m_steps;
};

// A message's tokens as a byte text, for the detail windows.
std::string JoinTokens(const MessageTokens& tokens);
