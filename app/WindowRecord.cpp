#include "app/WindowRecord.h"

#include "app/CaptureListModel.h"
#include "link/CaptureFileIO.h"
#include "link/LinkHistory.h"
#include "print/RecordPdf.h"
#include "report/CommissioningRecord.h"
#include "report/LineTime.h"
#include "report/RecordWriters.h"

#include <QFileInfo>

namespace {

constexpr std::string_view kSource = "the list";

std::string_view KindWords(LinkEvent::Kind kind) {
    switch (kind) {
    case LinkEvent::Kind::Connected:
        return "connected";
    case LinkEvent::Kind::PeerClosed:
        return "peer closed";
    case LinkEvent::Kind::Stopped:
        return "stopped";
    case LinkEvent::Kind::Refused:
        return "refused";
    case LinkEvent::Kind::Silent:
        return "silent";
    case LinkEvent::Kind::Resumed:
        return "resumed";
    }
    return {};
}

} // namespace

namespace WindowRecord {

void Fill(CommissioningRecord& record, const Sources& sources) {
    const CaptureListModel& list = sources.list;
    const LinkHistory& history = sources.history;
    record.setTitle(sources.title.toStdString());
    record.setDateOrder(DateOrderOf(sources.formatText.toStdString()));
    record.SetPlan(sources.plan);
    // Rows count from the newest line; the record reads them as they arrived, and names each by its row
    // as the list shows it.
    for (int row = list.Count() - 1; row >= 0; --row) {
        RecordLine line;
        line.source = kSource;
        line.number = static_cast<std::uint64_t>(row) + 1;
        line.line = list.Line(row);
        line.newStream = list.StartsConnection(row);
        record.AddLine(line);
    }
    record.AddDroppedLinkEvents(history.Dropped());
    for (const LinkEvent& event : history.Events())
        record.AddLinkEvent({event.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toStdString(),
                             std::string(KindWords(event.kind)), event.peer.toStdString(), event.durationMs});
    record.Finish();
}

bool Write(const QString& name, const Sources& sources, QString* reason) {
    CommissioningRecord record;
    Fill(record, sources);
    const QString made = MadeByline(QStringLiteral("the window's list"));
    if (QFileInfo(name).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0) {
        const QByteArray pdf = RecordPdf(record, made);
        return SaveWholeFile(name, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                             reason);
    }
    HtmlOptions html;
    html.made = made.toStdString();
    return SaveWholeFile(name, RecordHtml(record, html), reason);
}

} // namespace WindowRecord
