#include "cli/Framing.h"

#include "common/modCommon.h"

#include <algorithm>

namespace {
constexpr std::uint64_t kHeaderBytes = 4;
}

std::vector<MessageSpan> FrameMessages(const MessageTokens& tokens) {
    std::vector<MessageSpan> spans;
    for (std::size_t first = 0; first < tokens.size();) {
        MessageSpan span;
        span.first = first;
        span.length = modCommon::HexValue(tokens[first]) + kHeaderBytes;
        span.count = static_cast<std::size_t>(std::min<std::uint64_t>(span.length, tokens.size() - first));
        spans.push_back(span);
        first += span.count;
    }
    return spans;
}
