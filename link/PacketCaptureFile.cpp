#include "link/PacketCaptureFile.h"

#include "capture/CaptureLine.h"
#include "link/LocalClock.h"

#include <QFile>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

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
    const auto byDelivery = [](const ReadRef& a, const ReadRef& b) {
        return a.read->delivered < b.read->delivered;
    };
    if (!std::is_sorted(reads.begin(), reads.end(), byDelivery))
        std::stable_sort(reads.begin(), reads.end(), byDelivery);

    const auto prefixOf = [&clock](const StreamRead& read) -> const std::string& {
        return clock.PrefixAtNs(read.timeNs);
    };
    const auto linesOf = [](const StreamRead& read) {
        return (read.size + kMaxLineBytes - 1) / kMaxLineBytes;
    };
    // The exact size first: one buffer for a million lines, never grown.
    std::size_t size = 0;
    for (const ReadRef& ref : reads)
        size += linesOf(*ref.read) * prefixOf(*ref.read).size() + 3 * ref.read->size;
    CaptureLines result;
    auto owned = std::make_unique<char[]>(size);
    char* const text = owned.get();
    const std::string_view kept = result.AdoptText(std::move(owned), size);
    char* p = text;
    for (auto it = reads.rbegin(); it != reads.rend(); ++it) {
        const StreamRead& read = *it->read;
        const std::string& prefix = prefixOf(read);
        const std::uint8_t* bytes = it->connection->stream.bytes().data() + read.at;
        for (std::size_t part = linesOf(read); part-- > 0;) {
            const std::size_t first = part * kMaxLineBytes;
            char* const start = p;
            p = std::copy(prefix.begin(), prefix.end(), p);
            p = PutCaptureBytes(p, bytes + first, std::min(kMaxLineBytes, read.size - first));
            result.AppendView(
                kept.substr(static_cast<std::size_t>(start - text), static_cast<std::size_t>(p - start)));
        }
    }
    return result;
}

LoadedCaptureFile LoadPacketCaptureFile(const QString& path) {
    LoadedCaptureFile loaded;
    const PacketCaptureContents contents =
        ReadPacketCapture(QFile::encodeName(path).toStdString(), kDefaultLinkPort);
    if (!contents.error.empty()) {
        loaded.reason = QString::fromStdString(contents.error);
        return loaded;
    }
    LocalClock clock;
    loaded.parsed.lines = PacketCaptureLines(contents, clock);
    loaded.readOk = !loaded.parsed.lines.empty();
    loaded.parsed.status = ParsedCaptureFile::Status::Ok;
    if (!loaded.readOk)
        loaded.reason = QStringLiteral("The capture holds no bytes sent to port %1.").arg(kDefaultLinkPort);
    return loaded;
}
