#include "views/CachedGroupBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

CachedGroupBox::CachedGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

namespace {

// The box is opaque: it paints the background of the widget below it first, so that nothing below it
// is painted again.
void FillBelow(QPainter& painter, const QWidget& box) {
    const QWidget* below = box.parentWidget() ? box.parentWidget() : &box;
    painter.fillRect(box.rect(), below->palette().brush(below->backgroundRole()));
}

} // namespace

void CachedGroupBox::paintEvent(QPaintEvent* event) {
    // A checkable box changes with the mouse and the keyboard: drawn as QGroupBox draws it.
    if (isCheckable()) {
        {
            QPainter painter(this);
            FillBelow(painter, *this);
        }
        QGroupBox::paintEvent(event);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (m_drawn.isNull() || m_drawnTitle != title() || m_drawn.devicePixelRatio() != ratio) {
        m_drawn = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        m_drawn.setDevicePixelRatio(ratio);
        QPainter painter(&m_drawn);
        FillBelow(painter, *this);
        painter.setFont(font());
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
        m_drawnTitle = title();
    }
    // Only what needs painting, pixel for pixel also on a scaled display.
    QPainter painter(this);
    for (const QRect& rect : event->region()) {
        const QRect pixels = QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio)
                                 .toAlignedRect()
                                 .intersected(m_drawn.rect());
        painter.drawImage(QRectF(QPointF(pixels.topLeft()) / ratio, QSizeF(pixels.size()) / ratio), m_drawn,
                          pixels);
    }
}

void CachedGroupBox::changeEvent(QEvent* event) {
    m_drawn = QImage(); // palette, font, style, enabled state: draw again
    QGroupBox::changeEvent(event);
}

void CachedGroupBox::resizeEvent(QResizeEvent* event) {
    m_drawn = QImage();
    QGroupBox::resizeEvent(event);
}
