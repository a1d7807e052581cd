#pragma once

#include <QLabel>

// A plain-text QLabel that paints from laid-out text kept for every text it has shown, and sizes itself
// from sizes kept the same way. Cells and names of a table show the same few texts again and again
// (the 256 byte values, the row names and explanations), and laying a text out is most of what a label
// costs to paint. Rich text, word wrap, pixmaps and text interaction are not supported.
class StaticTextLabel : public QLabel {
public:
    explicit StaticTextLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_fontKey;
};
