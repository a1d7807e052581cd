#include "capture/PacketCaptureFile.h"

#include "capture/LocalClock.h"
#include "common/modCommon.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

struct ReadRef {
    const TcpConnection* connection;
    const StreamRead* read;
};

} // namespace

CaptureLines PacketCaptureLines(const PacketCaptureContents& contents, LocalClock& clock) {
    std::vector<ReadRef> reads;
    for (const TcpConnection& connection : contents.connections)
        for (const StreamRead& read : connection.stream.reads())
            reads.push_back({&connection, &read});
    // Each connection's reads are already in the order its socket would read them; stable keeps it.
    std::stable_sort(reads.begin(), reads.end(), [](const ReadRef& a, const ReadRef& b) {
        return a.read->delivered < b.read->delivered;
    });

    std::string text;
    std::vector<std::pair<std::size_t, std::size_t>> lines; // offset and size in text, newest first
    for (auto it = reads.rbegin(); it != reads.rend(); ++it) {
        const StreamRead& read = *it->read;
        const std::string& prefix = clock.PrefixAt(static_cast<std::time_t>(read.timeNs / kNsPerSecond));
        const std::uint8_t* bytes = it->connection->stream.bytes().data() + read.at;
        const std::size_t parts = (read.size + kMaxLineBytes - 1) / kMaxLineBytes;
        for (std::size_t part = parts; part-- > 0;) {
            const std::size_t first = part * kMaxLineBytes;
            const std::size_t count = std::min(kMaxLineBytes, read.size - first);
            const std::size_t start = text.size();
            text += prefix;
            for (std::size_t i = 0; i < count; ++i) {
                text += ' ';
                modCommon::AppendByteToHex(text, bytes[first + i]);
            }
            lines.emplace_back(start, text.size() - start);
        }
    }
    CaptureLines result;
    auto owned = std::make_unique<char[]>(text.size());
    std::memcpy(owned.get(), text.data(), text.size());
    const std::string_view kept = result.AdoptText(std::move(owned), text.size());
    for (const auto& [offset, size] : lines)
        result.AppendView(kept.substr(offset, size));
    return result;
}

LoadedCaptureFile LoadPacketCaptureFile(const QString& path) {
    LoadedCaptureFile loaded;
    const PacketCaptureContents contents =
        ReadPacketCapture(QFile::encodeName(path).toStdString(), kDefaultLinkPort);
    if (!contents.error.empty())
        return loaded;
    LocalClock clock;
    loaded.parsed.lines = PacketCaptureLines(contents, clock);
    loaded.readOk = !loaded.parsed.lines.empty();
    loaded.parsed.status = ParsedCaptureFile::Status::Ok;
    return loaded;
}
