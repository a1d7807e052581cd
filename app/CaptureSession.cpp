#include "app/CaptureSession.h"

#include "capture/CaptureLine.h"
#include "link/CaptureFileIO.h"
#include "link/PacketCaptureFile.h"

#include <QDateTime>
#include <QFile>

#include <utility>

void CaptureSession::RefreshFormatText() {
    m_formatText = CurrentFormatText();
}

void CaptureSession::Record(const char* bytes, qint64 count, qint64 arrivedMs) {
    if (arrivedMs == 0)
        arrivedMs = QDateTime::currentMSecsSinceEpoch();
    ForEachCaptureLine(m_clock.Prefix(), reinterpret_cast<const std::uint8_t*>(bytes),
                       static_cast<std::size_t>(count), [this, arrivedMs](const std::string& line) {
                           m_list.Prepend(line, arrivedMs, std::exchange(m_connectionStarts, false));
                           m_recovery.Add(line, static_cast<std::size_t>(m_list.Count()));
                           if (m_list.Count() > static_cast<int>(kMaxLines))
                               m_list.RemoveLast();
                       });
}

bool CaptureSession::Save(const QString& name, QString* reason) {
    m_lastFileName = name;
    if (!SaveCaptureFile(name, m_formatText.toStdString(), m_list.Lines(), reason))
        return false;
    m_recovery.Retire();
    return true;
}

CaptureSession::LoadResult CaptureSession::Load(const QString& name, QString* reason) {
    m_lastFileName = name;
    LoadedCaptureFile loaded = IsPacketCaptureFile(QFile::encodeName(name).toStdString())
                                   ? LoadPacketCaptureFile(name)
                                   : LoadCaptureFile(name);
    if (!loaded.readOk || loaded.parsed.status == ParsedCaptureFile::Status::NotCapture) {
        *reason = loaded.reason;
        return LoadResult::Failed;
    }
    if (loaded.parsed.status != ParsedCaptureFile::Status::Ok)
        return LoadResult::Empty;
    m_list.Replace(std::move(loaded.parsed.lines));
    m_connectionStarts = true;
    m_recovery.Retire();
    return LoadResult::Replaced;
}

void CaptureSession::Clear() {
    m_list.Replace({});
    m_recovery.Retire();
}

void CaptureSession::Restore(const RecoveryJournal::Leftover& leftover) {
    std::optional<CaptureLines> restored = RecoveryJournal::Read(leftover);
    if (!restored)
        return;
    // The journal keeps no connections: its lines are read as a loaded file's are. A line of this run
    // never continues one of the run before.
    std::vector<int> connectionRows = m_list.ConnectionRows();
    if (m_list.Count() > 0 && (connectionRows.empty() || connectionRows.back() != m_list.Count() - 1))
        connectionRows.push_back(m_list.Count() - 1);
    CaptureLines lines = m_list.Lines();
    for (const std::string_view line : *restored)
        lines.push_back(line);
    m_list.Replace(std::move(lines), true, connectionRows);
    // This window's journal holds them before the leftover goes, so a second crash loses none either.
    m_recovery.Rewrite(m_list.Lines(), static_cast<std::size_t>(m_list.Count()));
    m_recovery.AddUnsaved(static_cast<qint64>(restored->size()));
    RecoveryJournal::Discard(leftover);
}
