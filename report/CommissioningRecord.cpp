#include "report/CommissioningRecord.h"

#include "capture/CaptureLine.h"
#include "common/modCommon.h"
#include "decode/FieldRules.h"
#include "decode/LeftOutChecks.h"
#include "report/RuleReason.h"

#include <bit>

using RecordRules::Index;
using RecordRules::Own;

CommissioningRecord::CommissioningRecord() {
    m_table.withWords = false; // the record reads the verdicts, never the words
    InitDetailView(m_table);
}

void CommissioningRecord::Break(std::size_t rule, const MessageOrigin& origin, std::string reason) {
    m_rules.AddExample(rule, {std::string(origin.source), origin.number, std::string(origin.connection),
                              std::string(origin.date), std::string(origin.time),
                              origin.count > 0            ? PlaceText(origin)
                              : origin.connection.empty() ? "the line"
                                                          : "the connection",
                              std::move(reason), origin.countedFromEnd});
}

void CommissioningRecord::AddLine(const RecordLine& line) {
    ++m_lines;
    m_plan.AddLine(line.line, line.number);
    const CaptureLineParts parts = SplitCaptureLine(line.line);
    MessageOrigin lineTime;
    lineTime.date = parts.date;
    lineTime.time = parts.time;
    const std::size_t dateTime = Index(Own::DateTime);
    m_rules.Exercise(dateTime);
    if (LeftOutChecks::HasDateAndTime(line.line)) {
        lineTime.seconds = m_lineTime.Seconds(parts.date, parts.time);
    } else if (BreakWanted(dateTime)) {
        MessageOrigin origin = lineTime;
        origin.source = line.source;
        origin.connection = line.connection;
        origin.number = line.number;
        origin.countedFromEnd = line.countedFromEnd;
        Break(dateTime, origin, "no [date] [time]: its bytes are read from its second character");
    }
    if (line.connection.empty())
        m_link.NoteLine(line.source, parts.date, parts.time);
    if (line.bytesGiven) {
        m_tokens.resize(line.bytes.size());
        PutByteTokens(m_tokens.data(), line.bytes.data(), line.bytes.size());
    } else {
        modCommon::SplitFields(parts.byteText, m_tokens);
    }
    m_stream.AddLine(line, m_tokens, lineTime, *this);
}

void CommissioningRecord::EndStream() {
    m_stream.End(*this);
}

void CommissioningRecord::AddConnection(ConnectionEntry entry) {
    const std::size_t gap = Index(Own::Gap);
    m_rules.Exercise(gap);
    if (entry.stream.gaps > 0 && BreakWanted(gap)) {
        MessageOrigin origin;
        origin.source = entry.source;
        origin.connection = entry.connection;
        origin.number = entry.lastPacket;
        const CaptureLineParts parts = SplitCaptureLine(entry.closed);
        origin.date = parts.date;
        origin.time = parts.time;
        Break(gap, origin,
              std::to_string(entry.stream.gaps) + (entry.stream.gaps == 1 ? " gap, " : " gaps, ") +
                  std::to_string(entry.stream.missingBytes) + " bytes missing from the capture");
    }
    m_link.AddConnection(std::move(entry));
}

void CommissioningRecord::Framed(const MessageTokens& tokens, const MessageOrigin& origin) {
    ++m_messages;
    DecodeMessage(m_table, tokens);
    const RuleVerdicts& verdicts = m_table.verdicts;
    for (std::uint32_t judged = verdicts.judged; judged != 0; judged &= judged - 1)
        m_rules.Exercise(static_cast<std::size_t>(std::countr_zero(judged)));
    for (std::uint32_t broken = verdicts.broken; broken != 0; broken &= broken - 1) {
        const auto rule = static_cast<std::size_t>(std::countr_zero(broken));
        if (BreakWanted(rule))
            Break(rule, origin,
                  TableRuleReason(static_cast<FieldRules::Rule>(rule), tokens, verdicts.brokenAt[rule]));
    }
    bool valid = verdicts.broken == 0;
    JudgeOwnRules(tokens, origin, valid);
    m_coverage.Add(tokens);
    if (!valid)
        ++m_invalidMessages;
    if (origin.seconds)
        m_timeline.Add(*origin.seconds, std::min<std::size_t>(Coverage::CommandOf(tokens), Timeline::kOther),
                       valid);
    else
        m_timeline.AddUntimed();
}

void CommissioningRecord::JudgeOwnRules(const MessageTokens& tokens, const MessageOrigin& origin,
                                        bool& valid) {
    const auto judge = [&](Own own, bool held, auto reason) {
        const std::size_t rule = Index(own);
        m_rules.Exercise(rule);
        if (held)
            return;
        valid = false;
        if (BreakWanted(rule))
            Break(rule, origin, reason());
    };
    if (const auto fits = LeftOutChecks::LengthFitsCommand(tokens))
        judge(Own::DataLength, *fits, [&] { return LengthReason(tokens); });
    if (!tokens.empty()) {
        const auto odd = origin.fromBytes ? std::nullopt : LeftOutChecks::FirstOddToken(tokens);
        judge(Own::HexTokens, !odd, [&] { return OddTokenReason(tokens, *odd); });
    }
    judge(Own::CutShort, origin.shortBy == 0, [&] { return CutShortReason(origin.length, origin.shortBy); });
    const std::uint32_t lengthBit = FieldRules::RuleBit(FieldRules::Rule::Length);
    const std::uint32_t versionBit = FieldRules::RuleBit(FieldRules::Rule::Version);
    const RuleVerdicts& verdicts = m_table.verdicts;
    if ((verdicts.judged & lengthBit) != 0) {
        const bool versionHeld = (verdicts.judged & versionBit) != 0 && (verdicts.broken & versionBit) == 0;
        judge(Own::NotMessage, (verdicts.broken & lengthBit) == 0 || versionHeld,
              [&] { return NotMessageReason(tokens); });
    }
}
