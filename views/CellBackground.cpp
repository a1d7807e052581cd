#include "views/CellBackground.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

void SetCellBackground(QWidget* cell, bool red) {
    const QColor colour = red ? QColor(255, 0, 0) : QGuiApplication::palette().color(QPalette::Button);
    QPalette palette = cell->palette();
    if (palette.color(QPalette::Window) == colour && cell->autoFillBackground())
        return;
    palette.setColor(QPalette::Window, colour);
    cell->setPalette(palette);
    cell->setAutoFillBackground(true);
}
