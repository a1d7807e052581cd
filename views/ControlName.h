#pragma once

#include <QString>

// The objectName of an element of a control array: the array's name, "_" and the index
// (lblData_3, btnAction_1, lblAccesibleFloor_31), so tests and accessibility tools find it by name.
inline QString ControlName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}
