// Capture-line parsing and the whole decode of a selected line, from any text an edited capture file
// can hold (odd bit of the first byte clear) or from any bytes a peer can send, recorded the way the
// receive path records them (odd bit set).
#include "FuzzCheck.h"

#include "capture/CaptureLine.h"
#include "common/modCommon.h"
#include "decode/DecodeTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPrefix = "[2012/11/22] [10:15:30]";
constexpr std::string_view kFullCommand20 =
    "[2012/11/22] [10:15:30] 4C 41 00 00 20 30 32 35 35 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
    "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
    "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 30 07 00 00 00 00 00";
constexpr std::string_view kFullCommand10 =
    "[2012/11/22] [10:15:30] 0C 41 00 00 10 30 30 30 33 30 31 35 31 30 00 00";

bool Within(std::string_view part, std::string_view whole) {
    return part.empty() ||
           (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

bool IsToken(std::string_view caption, const MessageTokens& tokens) {
    return std::find(tokens.begin(), tokens.end(), caption) != tokens.end();
}

// What the operator sees of a label: a hidden label may keep an old caption, which nobody can see.
bool SameOnScreen(const Label& a, const Label& b) {
    return a.visible == b.visible &&
           (!a.visible || (a.caption == b.caption && a.red == b.red && a.top == b.top));
}

template <std::size_t N> bool SameOnScreen(const std::array<Label, N>& a, const std::array<Label, N>& b) {
    return std::equal(a.begin(), a.end(), b.begin(),
                      [](const Label& x, const Label& y) { return SameOnScreen(x, y); });
}

bool SameOnScreen(const DecodeTable& a, const DecodeTable& b) {
    const auto namesA = DataNameLabels(a);
    const auto namesB = DataNameLabels(b);
    return SameOnScreen(a.lblHeader, b.lblHeader) && SameOnScreen(a.lblDataTypeH, b.lblDataTypeH) &&
           SameOnScreen(a.lblHeaderExplanation, b.lblHeaderExplanation) &&
           SameOnScreen(a.lblData, b.lblData) && SameOnScreen(a.lblDataTypeD, b.lblDataTypeD) &&
           SameOnScreen(a.lblDataExplanation, b.lblDataExplanation) &&
           std::equal(namesA.begin(), namesA.end(), namesB.begin(),
                      [](const Label* x, const Label* y) { return SameOnScreen(*x, *y); }) &&
           a.btnDetailFloorsVisible == b.btnDetailFloorsVisible;
}

void CheckDecode(std::string_view line) {
    const MessageTokens tokens = SplitMessage(modCommon::ByteText(line));

    DecodeTable table;
    const SelectionResult first = DecodeLine(table, line);
    Check(first.byteText == modCommon::ByteText(line) && Within(first.byteText, line),
          "the byte text handed on is the line's own byte text");
    const DecodeTable once = table;
    const SelectionResult second = DecodeLine(table, line);
    Check(table == once, "selecting the same line twice gives the same table");
    Check(second.byteText == first.byteText && second.floorsHandOver == first.floorsHandOver,
          "selecting the same line twice hands on the same text");

    for (std::size_t i = 0; i < table.lblHeader.size(); ++i) {
        const Label& cell = table.lblHeader[i];
        Check(cell.visible, "every header value cell is shown");
        if (i < tokens.size())
            Check(cell.caption == tokens[i], "header cell i shows token i");
        else
            Check(cell.caption.empty() && cell.red, "a missing header byte is empty and red");
    }
    for (const Label& cell : table.lblData) {
        if (cell.visible && !cell.caption.empty())
            Check(IsToken(cell.caption, tokens), "every shown data value is a token of the line");
        if (!cell.visible)
            Check(cell.caption.empty(), "a hidden data cell holds no caption");
    }
    if (tokens.size() <= 4)
        Check(!table.lblCommand.visible && !table.lblData[0].visible,
              "without a command byte no data row shows");
    if (first.floorsHandOver)
        Check(tokens.size() >= 80 && modCommon::HexValue(tokens[4]) == 0x20 && table.btnDetailFloorsVisible,
              "only a 0x20 message of full length goes to the floors window");

    // Nothing a previous selection showed survives a selection that does not show it again.
    for (std::string_view before : {kFullCommand20, kFullCommand10}) {
        DecodeTable used;
        DecodeLine(used, before);
        DecodeLine(used, line);
        Check(SameOnScreen(used, table), "a selection shows only what its own line gives");
    }

    const CaptureLineParts parts = SplitCaptureLine(line);
    Check(parts.byteText == first.byteText, "the headless split finds the same byte text");
    Check(Within(parts.date, line) && Within(parts.time, line), "date and time are parts of the line");
    Check(parts.date.find(']') == std::string_view::npos && parts.time.find(']') == std::string_view::npos,
          "date and time stop at their closing bracket");
}

// A read of any bytes gives a line of at most 256 bytes whose tokens give the bytes back.
void CheckRecorded(const std::uint8_t* bytes, std::size_t count) {
    const std::string line = MakeCaptureLine(kPrefix, bytes, count);
    const std::size_t shown = std::min(count, kMaxLineBytes);
    Check(line.size() == kPrefix.size() + 3 * shown, "a line holds the prefix and three characters per byte");
    Check(line.find_first_of("\r\n") == std::string::npos, "a line holds no line break");
    const MessageTokens tokens = SplitMessage(modCommon::ByteText(line));
    Check(tokens.size() == shown, "one token per byte shown");
    for (std::size_t i = 0; i < shown; ++i)
        Check(tokens[i].size() == 2 && modCommon::HexValue(tokens[i]) == bytes[i], "token i is byte i");
    const CaptureLineParts parts = SplitCaptureLine(line);
    Check(parts.date == "2012/11/22" && parts.time == "10:15:30", "date and time come back");
    CheckDecode(line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    if (data[0] & 1)
        CheckRecorded(data + 1, size - 1);
    else
        CheckDecode(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
}
