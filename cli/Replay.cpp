#include "cli/Replay.h"

#include "cli/CaptureInput.h"
#include "cli/CommandLine.h"
#include "cli/HexBytes.h"
#include "common/modCommon.h"
#include "link/PacketCapture.h"

#include <algorithm>

namespace {

constexpr std::string_view kCommand = "send";

// The messages of one connection's byte stream, each stamped with the packet that carried its first
// byte. A message the capture ends in the middle of is sent as far as it goes.
void AddMessages(const TcpReassembler& stream, std::vector<ReplayMessage>& messages) {
    const std::vector<std::uint8_t>& bytes = stream.bytes();
    const std::vector<StreamRead>& reads = stream.reads();
    std::size_t read = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = std::min(bytes.size(), at + std::size_t{bytes[at]} + 4);
        while (read + 1 < reads.size() && reads[read].at + reads[read].size <= at)
            ++read;
        messages.push_back({{bytes.begin() + static_cast<std::ptrdiff_t>(at),
                             bytes.begin() + static_cast<std::ptrdiff_t>(end)},
                            reads.empty() ? 0 : reads[read].timeNs});
        at = end;
    }
}

std::optional<std::vector<ReplayMessage>> PacketCaptureMessages(const std::string& path, std::uint16_t port) {
    const PacketCaptureContents contents = ReadPacketCapture(path, port);
    const auto refuse = [&](const std::string& why) {
        PrintError(kCommand, "cannot replay " + path + ": " + why + "; nothing sent");
        return std::nullopt;
    };
    if (!contents.error.empty())
        return refuse(contents.error);
    std::vector<ReplayMessage> messages;
    for (const TcpConnection& connection : contents.connections) {
        if (!connection.stream.gaps().empty())
            return refuse("the capture lost " + std::to_string(connection.stream.missingBytes()) +
                          " bytes of the connection " + ConnectionText(connection.key) +
                          ", so what was sent is not known");
        AddMessages(connection.stream, messages);
    }
    if (messages.empty())
        return refuse("it holds no bytes sent to port " + std::to_string(port));
    return messages;
}

std::optional<std::vector<ReplayMessage>> CaptureLineMessages(const std::string& path) {
    CaptureInput input(path);
    std::vector<ReplayMessage> messages;
    std::string_view line;
    std::size_t number = 0;
    while (input.error().empty() && input.Next(line, number)) {
        const std::string_view text = modCommon::ByteText(line);
        auto bytes = ParseByteText(text);
        if (!bytes) {
            PrintError(kCommand, "cannot replay " + path + ": line " + std::to_string(number) +
                                     " is not a capture line (its bytes must be two hex digits each, one "
                                     "blank between them); nothing sent");
            return std::nullopt;
        }
        if (!bytes->empty())
            messages.push_back({std::move(*bytes), -1});
    }
    if (!input.error().empty()) {
        PrintError(kCommand, "cannot read " + path + ": " + input.error());
        return std::nullopt;
    }
    if (input.hadHeader())
        std::reverse(messages.begin(), messages.end()); // a capture file is newest first
    return messages;
}

} // namespace

std::optional<std::vector<ReplayMessage>> ReadReplay(const std::string& path, std::uint16_t capturePort) {
    if (IsPacketCaptureFile(path))
        return PacketCaptureMessages(path, capturePort);
    return CaptureLineMessages(path);
}
