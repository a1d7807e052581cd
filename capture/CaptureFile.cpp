#include "capture/CaptureFile.h"

#include "capture/LineSplitter.h"

#include <algorithm>

bool IsCaptureFileHeader(std::string_view firstLine) {
    return firstLine.find(kCaptureFileMark) != std::string_view::npos;
}

void AppendCaptureFileLine(std::string& out, std::string_view line) {
    out += line;
    out += "\r\n";
}

std::string FormatCaptureFile(std::string_view formatText, const CaptureLines& lines) {
    std::size_t size = formatText.size() + 2;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    AppendCaptureFileLine(text, formatText);
    for (const auto& line : lines)
        AppendCaptureFileLine(text, line);
    return text;
}

ParsedCaptureFile ParseCaptureFile(std::string_view bytes) {
    auto text = std::make_unique_for_overwrite<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), text.get());
    return AdoptCaptureFile(std::move(text), bytes.size());
}

ParsedCaptureFile AdoptCaptureFile(std::unique_ptr<char[]> text, std::size_t size) {
    ParsedCaptureFile parsed;
    if (size == 0)
        return parsed;
    const std::string_view bytes = parsed.lines.AdoptText(std::move(text), size);
    LineSplitter splitter(bytes);
    std::string_view line;
    if (!splitter.Next(line) || !IsCaptureFileHeader(line)) {
        parsed.status = ParsedCaptureFile::Status::NotCapture;
        parsed.lines.clear();
        return parsed;
    }
    parsed.status = ParsedCaptureFile::Status::Ok;
    while (splitter.Next(line))
        parsed.lines.AppendView(line);
    return parsed;
}
