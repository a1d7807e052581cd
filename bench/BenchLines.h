#pragma once

#include "common/modCommon.h"

#include <fstream>
#include <random>
#include <string>
#include <vector>

// The capture lines the headless benchmarks (decode, report) read: the same mix for both.
// A day's recording: whole messages of every command with now and then a bad field, a tenth of reads
// that hold part of a message and a few that hold two.
class LineMaker {
public:
    std::string Next() {
        std::vector<int> bytes;
        const int kind = Pick(100);
        if (kind < 35)
            bytes = Message10();
        else if (kind < 55)
            bytes = {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00};
        else if (kind < 85)
            bytes = Message20();
        else if (kind < 95) {
            bytes = Pick(2) == 0 ? Message10() : Message20();
            bytes.resize(static_cast<std::size_t>(Pick(static_cast<int>(bytes.size()))));
        } else {
            bytes = Message10();
            const auto second = Message10();
            bytes.insert(bytes.end(), second.begin(), second.end());
        }
        std::string line = "[11/22/2012] [10:15:30]";
        for (const int byte : bytes) {
            line += ' ';
            modCommon::AppendByteToHex(line, static_cast<std::uint8_t>(byte));
        }
        return line;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    int Digit() { return Pick(50) == 0 ? Pick(256) : '0' + Pick(10); }
    std::vector<int> Message10() {
        std::vector<int> bytes = {0x0C, 0x41, 0x00, 0x00, 0x10};
        for (int i = 0; i < 7; ++i)
            bytes.push_back(Digit());
        bytes.insert(bytes.end(), {'1' + Pick(3), '0' + Pick(3), Pick(256), Pick(100) == 0 ? 1 : 0});
        return bytes;
    }
    std::vector<int> Message20() {
        std::vector<int> bytes = {0x4C, 0x41, 0x00, 0x00, 0x20, '0', '0', Digit(), Digit()};
        for (int i = 0; i < 64; ++i)
            bytes.push_back(Pick(256));
        bytes.insert(bytes.end(), {Pick(2) == 0 ? '0' : '2', Pick(256), 0, 0, 0, 0, 0});
        return bytes;
    }

    std::mt19937 m_random{20121122};
};

// A capture file of that many lines, newest first as the window saves it (the lines all carry one
// second, so their order is the file's).
inline void WriteCaptureFile(const std::string& path, int lines) {
    std::ofstream file(path, std::ios::binary);
    file << "[mm/dd/yyyy] [hh:mm:ss]\r\n";
    LineMaker maker;
    for (int i = 0; i < lines; ++i)
        file << maker.Next() << "\r\n";
}
