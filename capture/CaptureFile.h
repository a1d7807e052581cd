#pragma once

#include "capture/CaptureLine.h"

#include <string>
#include <string_view>
#include <vector>

// Capture files: line 1 FormatText, then the capture lines newest first, every line ended by CR LF.
// What marks a capture file is only "[hh:mm:ss]" somewhere in its first line.

inline constexpr std::string_view kCaptureFileMark = "[hh:mm:ss]";
bool IsCaptureFileHeader(std::string_view firstLine);

// Appends one file line and its CR LF: the whole-text form below and the chunked save share it.
void AppendCaptureFileLine(std::string& out, std::string_view line);

// The whole file text for a list.
std::string FormatCaptureFile(std::string_view formatText, const CaptureLines& lines);

struct ParsedCaptureFile {
    enum class Status {
        Empty,      // no line at all: the list stays as it was, without a message
        NotCapture, // the first line lacks the mark: "Unable to load the file."
        Ok,         // lines holds every line after the first, in file order
    };
    Status status = Status::Empty;
    CaptureLines lines;
};

// Splits the bytes of a file into lines at CR LF, a lone CR or a lone LF (a line end at the very end
// does not start another line) and checks the first line for the mark. Lines are kept byte for byte.
ParsedCaptureFile ParseCaptureFile(std::string_view bytes);
// The same for a text of size bytes that the result keeps: its lines point into it, uncopied.
ParsedCaptureFile AdoptCaptureFile(std::unique_ptr<char[]> text, std::size_t size);
