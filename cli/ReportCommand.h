#pragma once

#include <QStringList>

// "tarc-emulator report [--html F] [--pdf F] [--junit F] [--json F] [--title T] [--port N] [INPUT ...]"
int RunReportCommand(const QStringList& arguments);

// Whether the arguments ask for a PDF, which needs a QGuiApplication rather than a core one.
bool ReportWantsGui(const QStringList& arguments);
