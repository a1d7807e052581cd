// Capture-file loading from any bytes: whatever a file holds, the lines that come back hold no line
// break, and saving them and loading the result gives the same lines in the same order.
#include "FuzzCheck.h"

#include "capture/CaptureFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kFormatText = "[yyyy/mm/dd] [hh:mm:ss]";

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ParsedCaptureFile parsed = ParseCaptureFile(bytes);

    const std::string_view firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
    switch (parsed.status) {
    case ParsedCaptureFile::Status::Empty:
        Check(bytes.empty(), "only a file without a byte has no line");
        break;
    case ParsedCaptureFile::Status::NotCapture:
        Check(!bytes.empty() && firstLine.find(kCaptureFileMark) == std::string_view::npos,
              "a file is refused only when its first line lacks the mark");
        break;
    case ParsedCaptureFile::Status::Ok:
        Check(firstLine.find(kCaptureFileMark) != std::string_view::npos, "an accepted file has the mark");
        break;
    }
    if (parsed.status != ParsedCaptureFile::Status::Ok) {
        Check(parsed.lines.empty(), "a refused file gives no line");
        return 0;
    }

    std::size_t kept = firstLine.size();
    for (const std::string_view line : parsed.lines) {
        Check(!HasLineBreak(line), "a loaded line holds no CR or LF");
        kept += line.size();
    }
    Check(kept + parsed.lines.size() <= bytes.size(), "every line but the last ends in at least one byte");

    // Save what was loaded, load it again: the same lines in the same order.
    const std::string saved = FormatCaptureFile(kFormatText, parsed.lines);
    Check(saved.size() >= 2 && saved.ends_with("\r\n"), "a saved file ends its last line with CR LF");
    const ParsedCaptureFile again = ParseCaptureFile(saved);
    Check(again.status == ParsedCaptureFile::Status::Ok, "a saved file loads");
    Check(again.lines == parsed.lines, "save then load gives back the same lines");
    return 0;
}
