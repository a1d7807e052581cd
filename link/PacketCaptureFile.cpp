#include "link/PacketCaptureFile.h"

#include "capture/CaptureLine.h"
#include "link/LocalClock.h"

#include <QFile>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// A block of line text: large enough that a million lines take a few hundred, small enough that the
// unused end of the last one does not count.
constexpr std::size_t kBlockBytes = std::size_t{4} << 20;

struct ReadRef {
    const TcpConnection* connection;
    const StreamRead* read;
};

// Hands the reads on as they come.
class LinesSink final : public PacketStreamSink {
public:
    explicit LinesSink(PacketCaptureLinesBuilder& lines) : m_lines(lines) {}
    void Opened(const TcpConnection&) override {}
    void Read(const TcpConnection&, const StreamRead& read, const std::uint8_t* bytes) override {
        m_lines.Add(read, bytes);
    }
    void Gap(const TcpConnection&, const StreamGap&) override {}
    void Closed(TcpConnection&) override {}

private:
    PacketCaptureLinesBuilder& m_lines;
};

} // namespace

char* PacketCaptureLinesBuilder::Room(std::size_t size) {
    if (size > m_room) {
        m_room = std::max(size, kBlockBytes);
        auto block = std::make_unique<char[]>(m_room);
        m_free = block.get();
        m_lines.AdoptText(std::move(block), m_room);
    }
    char* const at = m_free;
    m_free += size;
    m_room -= size;
    return at;
}

void PacketCaptureLinesBuilder::Add(const StreamRead& read, const std::uint8_t* bytes) {
    const std::string& prefix = m_clock.PrefixAtNs(read.timeNs);
    for (std::size_t first = 0; first < read.size; first += kMaxLineBytes) {
        const std::size_t count = std::min(kMaxLineBytes, read.size - first);
        const std::size_t size = prefix.size() + 3 * count;
        char* const start = Room(size);
        char* p = std::copy(prefix.begin(), prefix.end(), start);
        p = PutCaptureBytes(p, bytes + first, count);
        m_lines.PrependView({start, static_cast<std::size_t>(p - start)});
    }
}

CaptureLines PacketCaptureLines(const PacketCaptureContents& contents, LocalClock& clock) {
    std::vector<ReadRef> reads;
    for (const TcpConnection& connection : contents.connections)
        for (const StreamRead& read : connection.stream.reads())
            reads.push_back({&connection, &read});
    // Each connection's reads are already in the order its socket would read them; stable keeps it.
    std::stable_sort(reads.begin(), reads.end(), [](const ReadRef& a, const ReadRef& b) {
        return a.read->delivered < b.read->delivered;
    });
    PacketCaptureLinesBuilder lines(clock);
    for (const ReadRef& ref : reads)
        lines.Add(*ref.read, ref.connection->stream.bytes().data() + ref.read->at);
    return lines.Take();
}

LoadedCaptureFile LoadPacketCaptureFile(const QString& path) {
    LoadedCaptureFile loaded;
    LocalClock clock;
    PacketCaptureLinesBuilder lines(clock);
    LinesSink sink(lines);
    const PacketStreamResult result =
        ReadPacketStream(QFile::encodeName(path).toStdString(), kDefaultLinkPort, sink);
    if (!result.error.empty()) {
        loaded.reason = QString::fromStdString(result.error);
        return loaded;
    }
    loaded.parsed.lines = lines.Take();
    loaded.readOk = !loaded.parsed.lines.empty();
    loaded.parsed.status = ParsedCaptureFile::Status::Ok;
    if (!loaded.readOk)
        loaded.reason = QStringLiteral("The capture holds no bytes sent to port %1.").arg(kDefaultLinkPort);
    return loaded;
}
