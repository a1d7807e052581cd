#include "decode/LineMark.h"

#include "common/modCommon.h"
#include "decode/MessageFormat.h"

namespace {

LineCommand CommandOf(const MessageTokens& tokens) {
    if (tokens.size() <= MessageFormat::kCommandOffset)
        return LineCommand::Other;
    switch (modCommon::HexValue(tokens[MessageFormat::kCommandOffset])) {
    case MessageFormat::kCommand10:
        return LineCommand::C10;
    case MessageFormat::kCommand11:
        return LineCommand::C11;
    case MessageFormat::kCommand20:
        return LineCommand::C20;
    default:
        return LineCommand::Other;
    }
}

template <std::size_t N> bool AnyShownRed(const std::array<Label, N>& cells) {
    for (const Label& cell : cells)
        if (cell.visible && cell.red)
            return true;
    return false;
}

} // namespace

LineMark LineMarker::Mark(std::string_view line) {
    modCommon::SplitFields(modCommon::ByteText(line), m_tokens);
    const LineCommand command = CommandOf(m_tokens);
    FrameMessages(m_tokens, m_spans);
    if (m_spans.empty())
        return {LineKind::NotMessage, command};
    if (m_spans.size() > 1)
        return {LineKind::Several, command};
    if (m_spans.front().shortBy() > 0)
        return {LineKind::Part, command};
    DecodeMessage(m_table, m_tokens);
    const bool red = AnyShownRed(m_table.lblHeader) || AnyShownRed(m_table.lblData);
    return {red ? LineKind::Invalid : LineKind::Valid, command};
}

std::string_view LineKindText(LineKind kind) {
    switch (kind) {
    case LineKind::Valid:
        return "valid message";
    case LineKind::Invalid:
        return "invalid message: a field is wrong or missing";
    case LineKind::Part:
        return "part of a message";
    case LineKind::Several:
        return "several messages in one read";
    case LineKind::NotMessage:
        return "not a message";
    }
    return {};
}
