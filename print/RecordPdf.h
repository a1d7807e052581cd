#pragma once

#include "report/CommissioningRecord.h"

#include <QByteArray>
#include <QString>

// The commissioning record as a PDF on A4, made by Qt itself: the same page as the HTML laid out by
// QTextDocument, with the timeline, which that renderer cannot draw as SVG, painted as a picture.
// Needs a QGuiApplication (the offscreen platform serves without a display).
QByteArray RecordPdf(const CommissioningRecord& record, const QString& made);

// The record's byline: "Made <date and time> by tarc-emulator <version> from <sources>".
QString MadeByline(const QString& sources);

// The timeline chart painted at the given size in pixels (legend included below it).
class QImage;
QImage PaintTimeline(const CommissioningRecord& record, int width, int height);
