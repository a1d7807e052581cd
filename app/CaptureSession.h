#pragma once

#include "app/CaptureListModel.h"
#include "link/LocalClock.h"
#include "link/RecoveryJournal.h"

#include <QString>

// The lines of a run and what keeps them: the capture list, the recovery journal, the clock that
// stamps arrivals and the format text of saved files. Save, Load, Clear and the recovery merge, without
// a dialog: the window asks the questions and shows the reasons.
class CaptureSession {
public:
    CaptureListModel& List() { return m_list; }
    const CaptureListModel& List() const { return m_list; }
    const RecoveryJournal& Recovery() const { return m_recovery; }
    RecoveryJournal& Recovery() { return m_recovery; }
    // The header line saved files carry, as of the last reset of the detail view.
    const QString& FormatText() const { return m_formatText; }
    void RefreshFormatText();
    // The file last saved or loaded, offered by the next dialog.
    const QString& LastFileName() const { return m_lastFileName; }

    // The receive path after the socket read: the read's capture lines on top (a read of more than 256
    // bytes is several lines), the list trimmed to its limit after each.
    void Record(const char* bytes, qint64 count, qint64 arrivedMs);
    // A peer connected: the next line recorded starts a stream of its own, whatever the line below it
    // left unfinished.
    void StartConnection() { m_connectionStarts = true; }

    // Writes every line; false, with the reason, when the file could not be written.
    bool Save(const QString& name, QString* reason);
    enum class LoadResult { Replaced, Empty, Failed };
    // A capture file or a packet capture. Nothing reaches the list unless the whole file is good.
    LoadResult Load(const QString& name, QString* reason);
    void Clear();
    // Takes a leftover journal's lines below the list's (they are older than anything recorded since).
    void Restore(const RecoveryJournal::Leftover& leftover);

private:
    CaptureListModel m_list;
    RecoveryJournal m_recovery;
    LocalClock m_clock;
    QString m_formatText;
    QString m_lastFileName;
    // The next line recorded is the first of its connection; so is the first on top of loaded lines,
    // whose bytes came from elsewhere.
    bool m_connectionStarts = true;
};
