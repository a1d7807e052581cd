#pragma once

#include "link/CaptureFileIO.h"
#include "link/PacketCapture.h"

#include <QString>

#include <cstddef>

class LocalClock;

// A packet capture of the link as the capture list would have recorded it live: each segment's new
// bytes one read, a read of more than 256 bytes several lines, every line with its packet's local date
// and time. Newest first. The text goes into blocks the lines keep, written once: no second copy.
class PacketCaptureLinesBuilder {
public:
    explicit PacketCaptureLinesBuilder(LocalClock& clock) : m_clock(clock) {}
    // Reads in the order they could be read, of any connection.
    void Add(const StreamRead& read, const std::uint8_t* bytes);
    CaptureLines Take() { return std::move(m_lines); }

private:
    char* Room(std::size_t size);

    LocalClock& m_clock;
    CaptureLines m_lines;
    char* m_free = nullptr;
    std::size_t m_room = 0;
};

// The same for a capture read whole: reads of several connections in the order they could be read.
CaptureLines PacketCaptureLines(const PacketCaptureContents& contents, LocalClock& clock);

// A packet capture for Load, its lines made as it is read: readOk only when the whole file was read and
// it holds bytes sent to the elevator side's port. A capture that is cut short, of another link type or
// without traffic to the port must not replace the list.
LoadedCaptureFile LoadPacketCaptureFile(const QString& path);
