#include "views/StaticTextLabel.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QStaticText>
#include <QStyle>

namespace {

// Laid-out texts and label sizes by font, frame, margin, indent, alignment and text. The table's labels show
// a few hundred texts in all; an edited file can show any, so the store is emptied when it grows past that.
struct Kept {
    QStaticText text;
    QSize sizeHint;
    QSize minimumSizeHint;
};
constexpr qsizetype kMaxKept = 4096;

// The entry of a label as it is now, made empty when new.
Kept& Find(const QString& fontKey, const QLabel& label) {
    static QHash<QString, Kept> store;
    const QString key = QStringLiteral("%1\x1f%2 %3 %4 %5\x1f")
                            .arg(fontKey)
                            .arg(label.frameWidth())
                            .arg(label.margin())
                            .arg(label.indent())
                            .arg(label.alignment().toInt()) +
                        label.text();
    auto it = store.find(key);
    if (it != store.end())
        return *it;
    if (store.size() >= kMaxKept)
        store.clear();
    return *store.insert(key, Kept{});
}

} // namespace

StaticTextLabel::StaticTextLabel(QWidget* parent) : QLabel(parent), m_fontKey(font().key()) {
    setTextFormat(Qt::PlainText);
}

QSize StaticTextLabel::sizeHint() const {
    Kept& kept = Find(m_fontKey, *this);
    if (!kept.sizeHint.isValid())
        kept.sizeHint = QLabel::sizeHint();
    return kept.sizeHint;
}

QSize StaticTextLabel::minimumSizeHint() const {
    Kept& kept = Find(m_fontKey, *this);
    if (!kept.minimumSizeHint.isValid())
        kept.minimumSizeHint = QLabel::minimumSizeHint();
    return kept.minimumSizeHint;
}

void StaticTextLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    if (text().isEmpty())
        return;
    // Where QLabel puts plain text: the contents less the margin and, in a frame, half an 'x' of indent
    // on the aligned side.
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    int indent = this->indent();
    if (indent < 0 && frameWidth() > 0)
        indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin();
    if (indent > 0) {
        if (align & Qt::AlignLeft)
            area.setLeft(area.left() + indent);
        if (align & Qt::AlignRight)
            area.setRight(area.right() - indent);
        if (align & Qt::AlignTop)
            area.setTop(area.top() + indent);
        if (align & Qt::AlignBottom)
            area.setBottom(area.bottom() - indent);
    }

    Kept& kept = Find(m_fontKey, *this);
    if (kept.text.text().isEmpty()) {
        kept.text = QStaticText(text());
        kept.text.setTextFormat(Qt::PlainText);
        kept.text.setPerformanceHint(QStaticText::AggressiveCaching);
        kept.text.prepare(QTransform(), font());
    }
    // QLabel centres the line's height (ascent and descent), not the laid-out text's rounded size.
    const QSizeF size(kept.text.size().width(), QFontMetricsF(font()).height());
    qreal x = area.left();
    if (align & Qt::AlignRight)
        x = area.left() + area.width() - size.width();
    else if (align & Qt::AlignHCenter)
        x = area.left() + (area.width() - size.width()) / 2;
    qreal y = area.top();
    if (align & Qt::AlignBottom)
        y = area.top() + area.height() - size.height();
    else if (align & Qt::AlignVCenter)
        y = area.top() + (area.height() - size.height()) / 2;
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawStaticText(QPointF(x, y), kept.text);
}

void StaticTextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        m_fontKey = font().key();
    QLabel::changeEvent(event);
}
