#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

// Where a detail window was last, kept under its objectName.
inline QString PlaceKey(const QWidget* window) {
    return window->objectName() + QStringLiteral("/geometry");
}

inline void RememberPlace(const QWidget* window) {
    if (window->isVisible())
        QSettings().setValue(PlaceKey(window), window->saveGeometry());
}

// A detail window opens where it was last; the first time, beside the window that owns it (right of
// it, else left of it, else inside it below its title bar), so it never hides the owner's title bar.
inline void PlaceBeside(QWidget* window) {
    if (window->restoreGeometry(QSettings().value(PlaceKey(window)).toByteArray()))
        return;
    const QWidget* owner = window->parentWidget();
    if (!owner || !owner->isVisible())
        return;
    const QRect frame = owner->frameGeometry();
    const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    constexpr int kGap = 8;
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    QPoint at(frame.right() + kGap, frame.top());
    if (room.isValid() && at.x() + size.width() > room.right()) {
        at.setX(frame.left() - kGap - size.width());
        if (at.x() < room.left())
            at = QPoint(owner->geometry().left() + 4 * kGap, owner->geometry().top() + 4 * kGap);
    }
    window->move(at);
}

// Shows a detail window, not modal. A window already open comes to the front.
inline void Present(QWidget* window) {
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    } else {
        PlaceBeside(window);
    }
    window->show();
}
