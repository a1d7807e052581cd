#pragma once

#include <QRect>
#include <QSize>

class QGroupBox;
class QWidget;

// The main window's fixed controls, placed in twips as designed: the four frames, their labels and
// the buttons. The parts of the window find them by objectName and add their own.
namespace MainLayout {

QSize DesignSize();
QRect CaptureListRect();

// Builds the frames and controls on window; returns the "Received data" frame.
QGroupBox* Build(QWidget* window);

// The design is the layout at the minimum size; a larger window gives the capture list (list, in
// frame) the extra room and moves whatever lies right of or below it by the same amount. Returns how
// much wider and taller than at the last call (arrangedFor) the window is.
QSize Arrange(QWidget* window, QWidget* frame, QWidget* list, QSize& arrangedFor);

} // namespace MainLayout
