#pragma once

#include "decode/DecodeTable.h"
#include "decode/Framing.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One capture line as the record is fed it, oldest first.
struct RecordLine {
    std::string_view source;     // file name, "-" for standard input, the window's name for its list
    std::uint64_t number = 0;    // line number in the source (a packet capture: the packet's)
    std::string_view line;       // the whole capture line
    std::string_view connection; // a packet capture's connection; empty for other lines
    // The line starts a stream of its own (it arrived on a new connection, or a packet capture framed
    // it already): whatever the line before left unfinished is cut short there.
    bool newStream = false;
    // number counts from the source's end (a capture file read from its end); see
    // CommissioningRecord::NumberFromEnd.
    bool countedFromEnd = false;
    // A packet capture's message: the bytes its line shows in hex, read from here rather than from the
    // line's text. Any other line is split from its text.
    bool bytesGiven = false;
    std::span<const std::uint8_t> bytes{};
};

// Where a framed message stands: the line it starts in and its place there.
struct MessageOrigin {
    std::string_view source;
    std::string_view connection;
    std::uint64_t number = 0;
    std::string_view date;
    std::string_view time;
    std::optional<std::int64_t> seconds; // the line's date and time, when they read as such
    std::size_t index = 0;               // among the messages that start in the line, from 0
    std::size_t count = 0;               // messages that start in the line
    int joinedLines = 0;                 // newer lines it took bytes from
    std::uint64_t length = 0;            // bytes its length byte announces, header included
    std::uint64_t shortBy = 0;           // bytes that never came
    bool countedFromEnd = false;
    bool fromBytes = false; // every token is a byte's two digits (RecordLine::bytesGiven)
};

// "message 2 of 3", "message 1 of 1, joined with the next 2 lines, 7 bytes missing".
std::string PlaceText(const MessageOrigin& origin);

// Frames the messages of consecutive lines of one stream by their length bytes as the window's message
// steps do: a message begun on one line is finished by the next lines read (at most
// LineMessages::kMaxLines of them), and a line of a new stream cuts short what the one before left
// open. Each message is handed on once it is whole or cut short.
class MessageStream {
public:
    class Sink {
    public:
        virtual void Framed(const MessageTokens& tokens, const MessageOrigin& origin) = 0;

    protected:
        ~Sink() = default;
    };

    // tokens: the line's bytes; date, time and seconds: its date and time.
    void AddLine(const RecordLine& line, const MessageTokens& tokens, const MessageOrigin& lineTime,
                 Sink& sink);
    // Cuts short a message left open: the stream ended.
    void End(Sink& sink);

private:
    void HandOnOpen(Sink& sink);

    std::vector<MessageSpan> m_spans;
    MessageTokens m_message;
    // The message that runs past the lines so far: its tokens and origin, owned.
    bool m_open = false;
    std::vector<std::string> m_openTokens;
    std::string m_openSource, m_openConnection, m_openDate, m_openTime;
    MessageOrigin m_openOrigin;
};
