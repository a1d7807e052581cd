#pragma once

// The executable's headless side: "tarc-emulator decode|record|send ...", "--version" and "--help" run
// without a display and return an exit status. Returns -1 when there are no arguments, or only Qt's
// window options (-platform X, -style X, ...): then the window opens as usual. Window options before
// anything else are passed over.
int RunHeadless(int argc, char** argv);
