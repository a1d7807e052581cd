// Headless decode of a million capture lines: DecodeLine against a loop that only takes the byte text
// and splits it into tokens, over the same lines in the same run.

#include "common/modCommon.h"
#include "decode/DecodeTable.h"
#include "decode/LineMark.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kLines = 1'000'000;
constexpr int kRuns = 5;

using Bytes = std::vector<std::uint8_t>;

// A mix like a day's recording: mostly whole messages with some bad fields, and a fifth of reads that
// carry part of a message or something else entirely.
class LineMaker {
public:
    Bytes Next() {
        const int kind = Pick(100);
        if (kind < 35)
            return Message10();
        if (kind < 55)
            return Message11();
        if (kind < 80)
            return Message20();
        if (kind < 90) {
            Bytes bytes = Pick(2) == 0 ? Message10() : Message20();
            bytes.resize(static_cast<std::size_t>(Pick(static_cast<int>(bytes.size()))));
            return bytes;
        }
        Bytes bytes(static_cast<std::size_t>(Pick(24)));
        for (auto& byte : bytes)
            byte = Byte();
        return bytes;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Pick(256)); }
    // A digit, now and then something else.
    std::uint8_t Digit() { return Pick(50) == 0 ? Byte() : static_cast<std::uint8_t>('0' + Pick(10)); }

    Bytes Message10() {
        Bytes bytes = {0x0C, 0x41, 0x00, 0x00, 0x10};
        for (int i = 0; i < 7; ++i)
            bytes.push_back(Digit());
        bytes.push_back(static_cast<std::uint8_t>('1' + Pick(3)));
        bytes.push_back(static_cast<std::uint8_t>('0' + Pick(3)));
        bytes.push_back(Byte());
        bytes.push_back(Pick(100) == 0 ? 0x01 : 0x00);
        return bytes;
    }
    Bytes Message11() { return {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00}; }
    Bytes Message20() {
        Bytes bytes = {0x4C, 0x41, 0x00, 0x00, 0x20, '0', '0', Digit(), Digit()};
        for (int i = 0; i < 64; ++i)
            bytes.push_back(Byte());
        bytes.push_back(Pick(2) == 0 ? '0' : '2');
        bytes.push_back(Byte());
        bytes.insert(bytes.end(), 5, 0x00);
        return bytes;
    }

    std::mt19937 random_{20121122};
};

struct Lines {
    std::string text; // every line, back to back
    std::vector<std::string_view> lines;
};

Lines MakeLines() {
    Lines result;
    result.text.reserve(static_cast<std::size_t>(kLines) * 120);
    std::vector<std::size_t> ends;
    ends.reserve(kLines);
    LineMaker maker;
    for (int i = 0; i < kLines; ++i) {
        result.text += "[11/22/2012] [10:15:30]";
        for (const std::uint8_t byte : maker.Next()) {
            result.text.push_back(' ');
            modCommon::AppendByteToHex(result.text, byte);
        }
        ends.push_back(result.text.size());
    }
    std::size_t begin = 0;
    for (const std::size_t end : ends) {
        result.lines.emplace_back(result.text.data() + begin, end - begin);
        begin = end;
    }
    return result;
}

template <typename Work> double BestSeconds(Work work) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

} // namespace

int main() {
    const Lines input = MakeLines();

    std::size_t tokenCount = 0;
    const double splitSeconds = BestSeconds([&] {
        tokenCount = 0;
        for (const std::string_view line : input.lines)
            tokenCount += SplitMessage(modCommon::ByteText(line)).size();
    });

    DecodeTable table;
    table.withWords = false; // as the headless decode runs it
    std::size_t handOvers = 0;
    std::size_t redCommands = 0;
    const double decodeSeconds = BestSeconds([&] {
        handOvers = 0;
        redCommands = 0;
        for (const std::string_view line : input.lines) {
            handOvers += DecodeLine(table, line).floorsHandOver ? 1 : 0;
            redCommands += table.lblData[0].visible && table.lblData[0].red ? 1 : 0;
        }
    });

    LineMarker marker;
    std::size_t invalid = 0;
    const double markSeconds = BestSeconds([&] {
        invalid = 0;
        for (const std::string_view line : input.lines)
            invalid += marker.Mark(line).Kind() == LineKind::Invalid ? 1 : 0;
    });

    std::printf("bench_decode: %d capture lines (%.1f MB), %zu tokens, %zu floors hand-overs, %zu unlisted "
                "commands; best of %d runs\n",
                kLines, static_cast<double>(input.text.size()) / 1e6, tokenCount, handOvers, redCommands,
                kRuns);
    std::printf("  DecodeLine:         %8.1f ms  %12.0f lines/s (target over 1000000)\n", decodeSeconds * 1e3,
                kLines / decodeSeconds);
    // The window's decode also writes every cell's note and the summary.
    DecodeTable shown;
    std::size_t summaryBytes = 0;
    const double wordsSeconds = BestSeconds([&] {
        summaryBytes = 0;
        for (const std::string_view line : input.lines) {
            DecodeLine(shown, line);
            summaryBytes += shown.words.summary.size();
        }
    });
    std::printf("  DecodeLine, words:  %8.1f ms  %12.0f lines/s (%zu bytes of summary)\n", wordsSeconds * 1e3,
                kLines / wordsSeconds, summaryBytes);
    std::printf("  split-only baseline:%8.1f ms  %12.0f lines/s\n", splitSeconds * 1e3,
                kLines / splitSeconds);
    std::printf("  decode / split time: %.2fx\n", decodeSeconds / splitSeconds);
    std::printf(
        "  LineMarker::Mark:   %8.1f ms  %12.0f lines/s, %zu invalid; %.2fx the split-only baseline\n",
        markSeconds * 1e3, kLines / markSeconds, invalid, markSeconds / splitSeconds);
    return 0;
}
