#include "print/RecordPdf.h"

#include "common/AppVersion.h"
#include "report/RecordWriters.h"
#include "report/TimelineChart.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include <cmath>

namespace {

constexpr int kChartWidth = 640;
constexpr int kChartHeight = 180;
constexpr int kLegendHeight = 20;
constexpr int kScale = 3; // the picture is painted at three times its size on the page, for print
const QString kTimelineName = QStringLiteral("tarc-timeline.png");

QColor Colour(std::string_view hex) {
    return QColor(QString::fromLatin1(hex.data(), static_cast<qsizetype>(hex.size())));
}

} // namespace

QString MadeByline(const QString& sources) {
    return QStringLiteral("Made %1 by tarc-emulator %2.%3.%4 from %5")
        .arg(QDateTime::currentDateTime().toString(Qt::ISODate))
        .arg(AppVersion::Major)
        .arg(AppVersion::Minor)
        .arg(AppVersion::Revision)
        .arg(sources);
}

QImage PaintTimeline(const CommissioningRecord& record, int width, int height) {
    const ChartLayout chart = LayOutTimeline(record.timeline(), width, height);
    QImage image(width * kScale, (height + kLegendHeight) * kScale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kScale, kScale);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double baseline = chart.plotTop + chart.plotHeight;
    painter.drawLine(QPointF(chart.plotLeft, baseline), QPointF(chart.plotLeft + chart.plotWidth, baseline));
    painter.drawLine(QPointF(chart.plotLeft, chart.plotTop), QPointF(chart.plotLeft, baseline));
    // Valid blocks solid; invalid ones hatched in the series' colour on white and outlined in black.
    const auto block = [&painter](const QRectF& rect, std::size_t series, bool invalid) {
        const QColor colour = Colour(SeriesColour(series));
        if (invalid) {
            // Stripes as the SVG's pattern draws them: 2.5 of colour in every 5, at 45 degrees.
            painter.fillRect(rect, Qt::white);
            painter.save();
            painter.setClipRect(rect);
            painter.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::FlatCap));
            for (double d = -rect.height(); d < rect.width() + rect.height(); d += 5.0 * std::sqrt(2.0))
                painter.drawLine(QPointF(rect.left() + d, rect.bottom()),
                                 QPointF(rect.left() + d + rect.height(), rect.top()));
            painter.restore();
            painter.setPen(QPen(Qt::black, 0.8));
            painter.drawRect(rect);
        } else {
            painter.fillRect(rect, colour);
        }
    };
    for (const ChartBlock& b : chart.blocks)
        block(QRectF(b.x, b.y, b.width, b.height), b.series, b.invalid);
    painter.setPen(Qt::black);
    for (const ChartLabel& label : chart.labels) {
        const QString text = QString::fromStdString(label.text);
        const double textWidth = painter.fontMetrics().horizontalAdvance(text);
        painter.drawText(QPointF(label.alignRight ? label.x - textWidth : label.x, label.y), text);
    }
    double x = chart.plotLeft;
    const double y = height + 4;
    for (std::size_t s = 0; s < Timeline::kSeries; ++s) {
        block(QRectF(x, y, 10, 10), s, false);
        block(QRectF(x + 12, y, 10, 10), s, true);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x + 26, y + 9), QString::fromStdString(std::string(SeriesName(s))));
        x += kLegendStep;
    }
    painter.drawText(QPointF(x, y + 9), QString::fromStdString(std::string(kLegendMeaning)));
    painter.end();
    return image;
}

QByteArray RecordPdf(const CommissioningRecord& record, const QString& made) {
    HtmlOptions options;
    options.made = made.toStdString();
    options.timelineImage = kTimelineName.toStdString();
    options.timelineWidth = kChartWidth;
    options.timelineHeight = kChartHeight;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QString::fromStdString(
        record.title().empty() ? "Commissioning record" : "Commissioning record: " + record.title()));
    writer.setCreator(QStringLiteral("tarc-emulator"));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8.5);
    document.setDefaultFont(font);
    document.addResource(QTextDocument::ImageResource, QUrl(kTimelineName),
                         PaintTimeline(record, kChartWidth, kChartHeight));
    document.setHtml(QString::fromStdString(RecordHtml(record, options)));
    // Laid out on pages of the printable area at the 96 dots an inch sizes in pixels mean, then print()
    // scales each page to the writer's resolution, breaking pages between lines and table rows.
    const QSizeF page = writer.pageLayout().paintRect(QPageLayout::Inch).size() * 96.0;
    document.setPageSize(page);
    document.print(&writer);
    return bytes;
}
