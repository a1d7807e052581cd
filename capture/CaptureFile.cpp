#include "capture/CaptureFile.h"

#include <algorithm>

namespace {

// Cuts a text into lines at CR LF, a lone CR or a lone LF. The next CR and the next LF are each
// looked up only once the reader has passed them, so a file that uses just one of the two ends
// (or neither) is still read in one pass instead of being rescanned for the other at every line.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view bytes) : bytes_(bytes), nextCr_(Find('\r')), nextLf_(Find('\n')) {}

    bool AtEnd() const { return pos_ >= bytes_.size(); }

    std::string_view Next() {
        if (nextCr_ < pos_)
            nextCr_ = Find('\r');
        if (nextLf_ < pos_)
            nextLf_ = Find('\n');
        const std::size_t end = std::min(nextCr_, nextLf_);
        const std::string_view line = bytes_.substr(pos_, end - pos_);
        pos_ = end == bytes_.size() ? end : end + (end == nextCr_ && nextLf_ == end + 1 ? 2 : 1);
        return line;
    }

private:
    std::size_t Find(char c) const { return std::min(bytes_.find(c, pos_), bytes_.size()); }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::size_t nextCr_;
    std::size_t nextLf_;
};

} // namespace

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
    if (splitter.Next().find(kCaptureFileMark) == std::string_view::npos) {
        parsed.status = ParsedCaptureFile::Status::NotCapture;
        parsed.lines.clear();
        return parsed;
    }
    parsed.status = ParsedCaptureFile::Status::Ok;
    while (!splitter.AtEnd())
        parsed.lines.AppendView(splitter.Next());
    return parsed;
}
