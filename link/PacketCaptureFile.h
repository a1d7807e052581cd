#pragma once

#include "link/CaptureFileIO.h"
#include "link/PacketCapture.h"

#include <QString>

class LocalClock;

// A packet capture of the link as the capture list would have recorded it live: each segment's new
// bytes one read, a read of more than 256 bytes several lines, every line with its packet's local date
// and time. Newest first; reads of several connections in the order they could be read.
CaptureLines PacketCaptureLines(const PacketCaptureContents& contents, LocalClock& clock);

// A packet capture for Load: readOk only when the whole file was read and it holds bytes sent to the
// elevator side's port. A capture that is cut short, of another link type or without traffic to the port
// must not replace the list.
LoadedCaptureFile LoadPacketCaptureFile(const QString& path);
