#pragma once

#include <QStringList>

// tarc-emulator record [--port N] [--out FILE] [--once]
int RunRecordCommand(const QStringList& arguments);
