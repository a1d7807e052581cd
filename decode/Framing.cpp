#include "decode/Framing.h"

#include "common/modCommon.h"
#include "decode/MessageFormat.h"

#include <algorithm>

void FrameMessages(std::span<const std::string_view> tokens, std::vector<MessageSpan>& spans) {
    spans.clear();
    for (std::size_t first = 0; first < tokens.size();) {
        MessageSpan span;
        span.first = first;
        span.length = MessageFormat::MessageSize(modCommon::HexValue(tokens[first]));
        span.count = static_cast<std::size_t>(std::min<std::uint64_t>(span.length, tokens.size() - first));
        spans.push_back(span);
        first += span.count;
    }
}
