#pragma once

#include <QGroupBox>
#include <QImage>

// A QGroupBox that draws its frame and title once per size and then copies them. A style may draw the
// frame from a stretched image, which costs far more than the labels inside; a label that changes
// repaints the box behind it.
class CachedGroupBox : public QGroupBox {
public:
    explicit CachedGroupBox(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_drawn;
    QString m_drawnTitle;
};
