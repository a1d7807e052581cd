#pragma once

#include "capture/CaptureLines.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Capture lines: the text form of one socket read, "[date] [time]" then " XX" per byte shown.

inline constexpr std::size_t kMaxLineBytes = 256; // bytes a line holds at most
inline constexpr std::size_t kMaxLines = 5000;    // lines kept after an arrival

// "[date] [time]": the part of a capture line before its bytes.
std::string MakeCapturePrefix(std::string_view date, std::string_view time);

// A whole capture line: prefix, then " XX" for each of the first kMaxLineBytes bytes.
std::string MakeCaptureLine(std::string_view prefix, const std::uint8_t* bytes, std::size_t count);

// Every line of one read, in arrival order: a read of more than kMaxLineBytes bytes becomes consecutive
// lines of at most kMaxLineBytes bytes with the same date and time, so nothing received is ever
// dropped and every line still fits the files, the decoders and the dump.
template <typename AddLine>
void ForEachCaptureLine(std::string_view prefix, const std::uint8_t* bytes, std::size_t count,
                        AddLine addLine) {
    // A read without bytes still makes its line, as it always has.
    std::size_t first = 0;
    do {
        addLine(MakeCaptureLine(prefix, bytes + first, std::min(kMaxLineBytes, count - first)));
        first += kMaxLineBytes;
    } while (first < count);
}

// Writes " XX" for each of the count bytes, all of them, and returns the end: the lines of a packet
// capture are made a million at a time.
char* PutCaptureBytes(char* out, const std::uint8_t* bytes, std::size_t count);
void AppendCaptureBytes(std::string& out, const std::uint8_t* bytes, std::size_t count);
// The bytes' tokens as a capture line gives them (two digits each), without making the line: views
// into a table that lives as long as the program.
void PutByteTokens(std::string_view* out, const std::uint8_t* bytes, std::size_t count);

// The parts of a capture line, for the headless commands. Date and time are the texts inside the
// first two bracket pairs (empty when the line does not have them); byteText follows modCommon::ByteText.
struct CaptureLineParts {
    std::string_view date;
    std::string_view time;
    std::string_view byteText;
};
CaptureLineParts SplitCaptureLine(std::string_view line);
