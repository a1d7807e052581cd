#include "decode/LineMessages.h"

#include "common/modCommon.h"

#include <algorithm>
#include <span>

namespace {

std::string Count(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "the line below", "2 lines below"; "the next line", "the next 2 lines".
std::string Below(int lines) {
    return lines == 1 ? "the line below" : std::to_string(lines) + " lines below";
}
std::string Next(int lines) {
    return lines == 1 ? "the next line" : "the next " + std::to_string(lines) + " lines";
}

std::string StillMissing(std::uint64_t shortBy) {
    return shortBy == 0 ? std::string() : ", still " + Count(shortBy, "byte", "bytes") + " missing";
}

} // namespace

LineMessages::LineMessages(const ByteTextAt& byteTextAt, int lineCount, int row,
                           const StartsConnectionAt& startsConnectionAt)
    : m_byteTextAt(byteTextAt), m_startsConnectionAt(startsConnectionAt), m_row(row),
      m_tokens(TokensOf(row)) {
    // The oldest line looked at, and the first line of a connection, is taken to start on a message;
    // every other one starts where the message its older neighbour ends in would end.
    int oldest = std::min(lineCount - 1, row + kMaxLines);
    for (int r = row; r < oldest; ++r)
        if (StartsConnection(r)) {
            oldest = r;
            break;
        }
    std::uint64_t pending = 0;
    std::vector<MessageSpan> spans;
    for (int r = oldest; r > row; --r) {
        const MessageTokens tokens = TokensOf(r);
        if (pending >= tokens.size()) {
            pending -= tokens.size();
            continue;
        }
        const std::size_t start = static_cast<std::size_t>(pending);
        FrameMessages(std::span(tokens).subspan(start), spans);
        pending = 0;
        if (!spans.empty() && spans.back().shortBy() > 0) {
            pending = spans.back().shortBy();
            m_olderRow = r;
            m_olderFirst = start + spans.back().first;
            m_olderLength = spans.back().length;
        }
    }
    m_pending = pending;
    m_carry = static_cast<std::size_t>(std::min<std::uint64_t>(pending, m_tokens.size()));
    if (m_carry == 0)
        m_olderRow = -1;
    FrameMessages(std::span(m_tokens).subspan(m_carry), m_spans);
    for (MessageSpan& span : m_spans)
        span.first += m_carry;

    m_steps.push_back({Kind::WholeLine});
    if (m_carry > 0)
        m_steps.push_back({Kind::FinishedHere});
    for (std::size_t i = m_carry > 0 ? 0 : 1; i < m_spans.size(); ++i)
        m_steps.push_back({Kind::Alone, i});
    if (!m_spans.empty() && m_spans.back().shortBy() > 0 && row > 0 && !StartsConnection(row - 1))
        m_steps.push_back({Kind::JoinedNewer, m_spans.size() - 1});
}

MessageTokens LineMessages::TokensOf(int row) const {
    return SplitMessage(m_byteTextAt(row));
}

LineMessages::Joined LineMessages::Join(int row, std::size_t first, std::uint64_t length) const {
    Joined joined;
    const auto take = [&](const MessageTokens& tokens, std::size_t from) {
        const std::uint64_t wanted = length - joined.tokens.size();
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, tokens.size() - from));
        joined.tokens.insert(joined.tokens.end(), tokens.begin() + static_cast<std::ptrdiff_t>(from),
                             tokens.begin() + static_cast<std::ptrdiff_t>(from + n));
    };
    take(row == m_row ? m_tokens : TokensOf(row), first);
    for (int r = row - 1;
         r >= 0 && joined.tokens.size() < length && joined.lines < kMaxLines && !StartsConnection(r); --r) {
        take(r == m_row ? m_tokens : TokensOf(r), 0);
        ++joined.lines;
    }
    joined.shortBy = length - joined.tokens.size();
    return joined;
}

std::string LineMessages::MessageLabel(std::size_t span) const {
    std::string label = "message " + std::to_string(span + 1) + " of " + std::to_string(m_spans.size());
    const std::uint64_t shortBy = m_spans[span].shortBy();
    if (shortBy > 0)
        label += ", " + Count(shortBy, "byte", "bytes") + " missing";
    return label;
}

LineMessages::Step LineMessages::Take(int step) const {
    const Entry entry = m_steps[static_cast<std::size_t>(std::clamp(step, 0, StepCount() - 1))];
    Step out;
    switch (entry.kind) {
    case Kind::WholeLine:
        out.tokens = m_tokens;
        if (m_carry > 0) {
            const std::string from = " of a message from " + Below(m_olderRow - m_row);
            if (m_pending > m_tokens.size())
                out.label = "the whole line continues a message from " + Below(m_olderRow - m_row);
            else if (m_carry == m_tokens.size())
                out.label = "the whole line is the last " + Count(m_carry, "byte", "bytes") + from;
            else
                out.label = "starts with the last " + Count(m_carry, "byte", "bytes") + from;
        } else if (!m_spans.empty()) {
            out.label = MessageLabel(0);
        }
        break;
    case Kind::FinishedHere: {
        Joined joined = Join(m_olderRow, m_olderFirst, m_olderLength);
        out.tokens = std::move(joined.tokens);
        out.label = "the message from " + Below(m_olderRow - m_row) + ", joined with this line";
        if (joined.lines > m_olderRow - m_row)
            out.label += " and " + Next(joined.lines - (m_olderRow - m_row));
        out.label += StillMissing(joined.shortBy);
        break;
    }
    case Kind::Alone: {
        const MessageSpan& span = m_spans[entry.span];
        const auto first = m_tokens.begin() + static_cast<std::ptrdiff_t>(span.first);
        out.tokens.assign(first, first + static_cast<std::ptrdiff_t>(span.count));
        out.label = MessageLabel(entry.span);
        break;
    }
    case Kind::JoinedNewer: {
        const MessageSpan& span = m_spans[entry.span];
        Joined joined = Join(m_row, span.first, span.length);
        out.tokens = std::move(joined.tokens);
        out.label = "message " + std::to_string(entry.span + 1) + " of " + std::to_string(m_spans.size()) +
                    ", joined with " + Next(joined.lines) + StillMissing(joined.shortBy);
        break;
    }
    }
    return out;
}

std::string JoinTokens(const MessageTokens& tokens) {
    std::string text;
    for (const std::string_view token : tokens) {
        if (!text.empty())
            text += ' ';
        text += token;
    }
    return text;
}
