#pragma once

#include <QStringList>

// tarc-emulator decode [FILE ...] [--hex HEX] [--json] [--floors] [--invalid-only] [--color WHEN]
int RunDecodeCommand(const QStringList& arguments);
