#pragma once

// The executable's headless side: "tarc-emulator decode|record|send ...", "--version" and "--help" run
// without a display and return an exit status. Returns -1 when the arguments are not a command (none,
// or only options, which belong to Qt): then the window opens as usual.
int RunHeadless(int argc, char** argv);
