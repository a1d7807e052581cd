#pragma once

#include "decode/DecodeTable.h"
#include "report/Coverage.h"
#include "report/LineTime.h"
#include "report/LinkPart.h"
#include "report/MessageStream.h"
#include "report/RecordPlan.h"
#include "report/RuleTally.h"
#include "report/Timeline.h"

#include <cstdint>
#include <string>
#include <string_view>

// The commissioning record: fed capture lines oldest first (and, where known, the link's connections
// and events), it frames their messages as the window does, has the decode table judge each, and keeps
// rule by rule what was exercised and broken, what the messages covered, the link and a timeline.
// Memory stays the same however many lines it is fed. The writers (RecordWriters.h) say it.
class CommissioningRecord final : private MessageStream::Sink {
public:
    CommissioningRecord();

    void setTitle(std::string title) { m_title = std::move(title); }
    const std::string& title() const { return m_title; }
    // The order of the lines' dates, from FormatText.
    void setDateOrder(DateOrder order) { m_lineTime.setOrder(order); }
    // The test plan the lines are checked against as well; set it before the first line.
    void SetPlan(std::vector<Expectation> expectations) { m_plan.Set(std::move(expectations)); }

    void AddLine(const RecordLine& line);
    // Ends the current stream: a message left open is cut short.
    void EndStream();
    // A source read from its end numbered its lines from there; now that their count is known, the
    // examples' numbers count from its start.
    void NumberFromEnd(std::uint64_t lines) { m_rules.NumberFromEnd(lines); }

    // A packet capture's connection when it ends, with its summary; a gap in it breaks the gap rule.
    void AddConnection(ConnectionEntry entry);
    void AddLinkEvent(LinkEventEntry event) { m_link.AddEvent(std::move(event)); }
    void AddDroppedLinkEvents(std::uint64_t count) { m_link.AddDroppedEvents(count); }

    // Hands on the message still open; call once after the last line.
    void Finish() { EndStream(); }

    const RuleTally& rules() const { return m_rules; }
    const Coverage& coverage() const { return m_coverage; }
    const LinkPart& link() const { return m_link; }
    const Timeline& timeline() const { return m_timeline; }
    const RecordPlan& plan() const { return m_plan; }
    std::uint64_t lines() const { return m_lines; }
    std::uint64_t messages() const { return m_messages; }
    std::uint64_t invalidMessages() const { return m_invalidMessages; }
    // No rule broken (rules not exercised do not count either way) and, with a plan, every expectation
    // met.
    bool passed() const { return m_rules.totals().broken == 0 && m_plan.AllMet(); }

private:
    void Framed(const MessageTokens& tokens, const MessageOrigin& origin) override;
    void Break(std::size_t rule, const MessageOrigin& origin, std::string reason);
    bool BreakWanted(std::size_t rule) { return m_rules.Break(rule); }
    void JudgeOwnRules(const MessageTokens& tokens, const MessageOrigin& origin, bool& valid);

    std::string m_title;
    DecodeTable m_table;
    MessageStream m_stream;
    LineTime m_lineTime;
    MessageTokens m_tokens;
    RuleTally m_rules;
    Coverage m_coverage;
    LinkPart m_link;
    Timeline m_timeline;
    RecordPlan m_plan;
    std::uint64_t m_lines = 0;
    std::uint64_t m_messages = 0;
    std::uint64_t m_invalidMessages = 0;
};
