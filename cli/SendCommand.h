#pragma once

#include <QStringList>

// tarc-emulator send [--host H] [--port N] [--interval MS] [HEX ...] [--replay FILE] [--command C ...]
int RunSendCommand(const QStringList& arguments);
