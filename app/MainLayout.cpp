#include "app/MainLayout.h"

#include "app/Twips.h"
#include "views/CachedGroupBox.h"

#include <QLabel>
#include <QPushButton>

#include <array>

namespace {

enum class Kind { Label, Boxed, Button };

// The fixed controls of the window, in twips; parent is the frame's index in the frames table, or -1.
struct Control {
    const char* name;
    Kind kind;
    int parent;
    const char* caption;
    int left, top, width, height;
};

struct Frame {
    const char* name;
    const char* caption;
    int left, top, width, height;
};

constexpr Frame kFrames[] = {
    {"Frame1", "Access control system", 240, 240, 3615, 855},
    {"Frame4", "Status", 4320, 240, 1815, 855},
    {"Frame2", "T-ARC", 6600, 240, 3735, 855},
    {"Frame3", "Received data", 240, 1200, 8655, 5295},
};
constexpr int kFrame3 = 3;

constexpr Control kControls[] = {
    {"Label5", Kind::Label, 0, "IP", 240, 360, 375, 255},
    {"lblRemoteIP", Kind::Boxed, 0, "", 600, 360, 1335, 255},
    {"Label24", Kind::Label, 0, "Port", 2160, 360, 375, 255},
    {"lblRemotePort", Kind::Boxed, 0, "", 2640, 360, 615, 255},
    {"lblConnect", Kind::Boxed, 1, "", 240, 360, 1335, 255},
    {"Label3", Kind::Label, 2, "IP", 240, 360, 375, 255},
    {"lblLocalIP", Kind::Boxed, 2, "", 600, 360, 1335, 255},
    {"Label4", Kind::Label, 2, "Port", 2160, 360, 495, 255},
    {"lblLocalPort", Kind::Boxed, 2, "", 2640, 360, 615, 255},
    {"Label21", Kind::Label, kFrame3, "Captured data", 360, 240, 2895, 375},
    {"lblFormat", Kind::Label, kFrame3, "", 360, 480, 0, 180},
    {"btnDetailFloors", Kind::Button, kFrame3, "Details", 2760, 3920, 1815, 300},
    {"btnClearCapture", Kind::Button, -1, "Clear Capt.", 9000, 1440, 1335, 375},
    {"btnSaveCapture", Kind::Button, -1, "Save Capt.", 9000, 1920, 1335, 375},
    {"btnLoadCapture", Kind::Button, -1, "Load Capt.", 9000, 2400, 1335, 375},
    {"btnAction_0", Kind::Button, -1, "Start", 9120, 4920, 1215, 375},
    {"btnAction_1", Kind::Button, -1, "Stop", 9120, 5400, 1215, 375},
    {"btnAction_2", Kind::Button, -1, "Exit", 9120, 6120, 1215, 375},
    // Under the list, at the left: the plan.
    {"btnPlan", Kind::Button, -1, "Plan...", 240, 6525, 1095, 330},
    {"btnReport", Kind::Button, -1, "Report...", 1440, 6525, 1095, 330},
    {"Label1", Kind::Label, -1, "T-ARC Emulator \xC2\xA9 the T-ARC Emulator developers", 2640, 6600, 4860,
     195},
};

} // namespace

namespace MainLayout {

QSize DesignSize() {
    return {Twips(10575), Twips(6900)};
}

QRect CaptureListRect() {
    return TwipsRect(360, 720, 8055, 840);
}

QGroupBox* Build(QWidget* window) {
    std::array<QGroupBox*, std::size(kFrames)> frames{};
    for (std::size_t i = 0; i < std::size(kFrames); ++i) {
        const Frame& f = kFrames[i];
        frames[i] = new CachedGroupBox(QString::fromLatin1(f.caption), window);
        frames[i]->setObjectName(QString::fromLatin1(f.name));
        frames[i]->setGeometry(TwipsRect(f.left, f.top, f.width, f.height));
    }
    for (const Control& c : kControls) {
        QWidget* parent = c.parent < 0 ? window : frames[static_cast<std::size_t>(c.parent)];
        const QString caption = QString::fromUtf8(c.caption);
        QWidget* widget = nullptr;
        if (c.kind == Kind::Button) {
            widget = new QPushButton(caption, parent);
        } else {
            auto* label = new QLabel(caption, parent);
            if (c.kind == Kind::Boxed) {
                label->setFrameShape(QFrame::Box);
                label->setAlignment(Qt::AlignCenter);
            }
            widget = label;
        }
        widget->setObjectName(QString::fromLatin1(c.name));
        widget->setGeometry(TwipsRect(c.left, c.top, c.width, c.height));
    }
    const QFont titleFont(QStringLiteral("Arial"), 9, QFont::Bold);
    window->findChild<QLabel*>(QStringLiteral("lblConnect"))->setFont(titleFont);
    auto* label21 = window->findChild<QLabel*>(QStringLiteral("Label21"));
    label21->setFont(titleFont);
    label21->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    window->findChild<QLabel*>(QStringLiteral("Label1"))->adjustSize();
    return frames[kFrame3];
}

QSize Arrange(QWidget* window, QWidget* frame, QWidget* list, QSize& arrangedFor) {
    const QSize now = window->size().expandedTo(DesignSize());
    if (!arrangedFor.isValid())
        arrangedFor = DesignSize();
    const int dw = now.width() - arrangedFor.width();
    const int dh = now.height() - arrangedFor.height();
    if (dw == 0 && dh == 0)
        return {0, 0};
    const int frameRight = frame->geometry().right();
    const int listBottom = list->geometry().bottom();
    const int frameBottom = frame->geometry().bottom();
    for (QWidget* child : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == frame || child->isWindow())
            continue;
        const QPoint at = child->pos();
        child->move(at.x() + (at.x() > frameRight ? dw : 0), at.y() + (at.y() > frameBottom ? dh : 0));
    }
    for (QWidget* child : frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != list && child->y() > listBottom)
            child->move(child->x(), child->y() + dh);
    }
    frame->resize(frame->width() + dw, frame->height() + dh);
    list->resize(list->width() + dw, list->height() + dh);
    arrangedFor = now;
    return {dw, dh};
}

} // namespace MainLayout
