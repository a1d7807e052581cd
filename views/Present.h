#pragma once

#include <QWidget>

// Shows a detail window, not modal. A window already open comes to the front; a new one is placed by
// the window system.
inline void Present(QWidget* window) {
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    }
    window->show();
}
