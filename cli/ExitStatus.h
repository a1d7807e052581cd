#pragma once

// Exit statuses of the headless commands, the same for all of them so that scripts can gate on them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCheckFailed = 1; // decode: a message has an invalid or missing field
inline constexpr int kExitUsage = 2;       // bad arguments, or a file or the network failed
