#pragma once

#include <fstream>
#include <string>

// A field of /proc/self/status in kB, -1 when it cannot be read.
inline long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// Sets the peak resident size back to the current one, so that VmHWM tells the peak of what follows.
inline bool ResetPeakRss() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}
