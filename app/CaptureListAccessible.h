#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// What assistive technology reads of the capture list: a list whose items are the shown lines, each
// with its text, its mark and whether it is selected. CaptureListView installs the factory once.
QAccessibleInterface* CaptureListAccessibleFactory(const QString& className, QObject* object);
