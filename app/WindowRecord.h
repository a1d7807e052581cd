#pragma once

#include "report/TestPlan.h"

#include <QString>

#include <vector>

class CaptureListModel;
class CommissioningRecord;
class LinkHistory;

// The window's commissioning record: every line of the list (not only those a filter shows), oldest
// first, each connection's lines a stream of their own, the link history and the loaded test plan.
namespace WindowRecord {

struct Sources {
    const CaptureListModel& list;
    const LinkHistory& history;
    QString formatText; // the date order of the lines
    QString title;
    std::vector<Expectation> plan; // the loaded test plan's expectations; none when no plan is loaded
};

void Fill(CommissioningRecord& record, const Sources& sources);

// Written as PDF when the name ends in ".pdf", as HTML otherwise; on failure the file that was there
// is left as it was, and reason says why.
bool Write(const QString& name, const Sources& sources, QString* reason);

} // namespace WindowRecord
