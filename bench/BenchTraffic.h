#pragma once

#include "support/CaptureBuilder.h"

#include <pcap/pcap.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// The packet captures the headless benchmarks (decode, report) read: the same traffic for both.
// A day of the link: whole messages of every command, one a segment, now and then a message split over
// two segments, a retransmission or two segments swapped; a few connections one after the other.
class TrafficMaker {
public:
    std::vector<capture_builder::Segment> Next() {
        if (++m_messages % kMessagesAConnection == 0)
            ++m_connection;
        std::vector<std::uint8_t> message = Message();
        capture_builder::Segment segment;
        segment.clientPort = static_cast<std::uint16_t>(50000 + m_connection);
        segment.seq = m_seq;
        segment.timeNs = m_timeNs;
        m_timeNs += 250'000;
        m_seq += static_cast<std::uint32_t>(message.size());
        std::vector<capture_builder::Segment> segments;
        const int kind = Pick(1000);
        if (kind < 20) { // split
            const std::size_t half = message.size() / 2;
            segment.payload.assign(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(half));
            segments.push_back(segment);
            segment.seq += static_cast<std::uint32_t>(half);
            segment.payload.assign(message.begin() + static_cast<std::ptrdiff_t>(half), message.end());
            segments.push_back(segment);
        } else {
            segment.payload = message;
            segments.push_back(segment);
            if (kind < 30) // retransmitted
                segments.push_back(segment);
        }
        if (kind >= 990 && m_held.empty()) { // this one overtaken by the next
            m_held = segments;
            return {};
        }
        if (!m_held.empty()) {
            segments.insert(segments.end(), m_held.begin(), m_held.end());
            m_held.clear();
        }
        return segments;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    std::vector<std::uint8_t> Message() {
        const int kind = Pick(100);
        if (kind < 40)
            return {0x0C, 0x41, 0,
                    0,    0x10, '0',
                    '0',  '0',  static_cast<std::uint8_t>('1' + Pick(9)),
                    '0',  '1',  '5',
                    '1',  '0',  static_cast<std::uint8_t>(Pick(256)),
                    0};
        if (kind < 70)
            return {0x04, 0x41, 0, 0, 0x11, 0, 0, 0};
        std::vector<std::uint8_t> bytes = {0x4C, 0x41, 0, 0, 0x20, '0', '0', '1', '2'};
        for (int i = 0; i < 64; ++i)
            bytes.push_back(static_cast<std::uint8_t>(Pick(256)));
        bytes.insert(bytes.end(), {'0', static_cast<std::uint8_t>(Pick(256)), 0, 0, 0, 0, 0});
        return bytes;
    }

    std::mt19937 m_random{20261206};
    static constexpr int kMessagesAConnection = 250'000;
    int m_messages = 0;
    int m_connection = 0;
    std::uint32_t m_seq = 4'294'000'000U; // wraps within the run
    std::int64_t m_timeNs = 1'765'000'000'000'000'000;
    std::vector<capture_builder::Segment> m_held;
};

// Writes packets segments of the traffic to path, a segment at a time, so that this process stays small
// for the children it measures (a forked child starts with its parent's resident pages).
inline bool WriteCapture(const std::string& path, int packets) {
    pcap_t* dead = pcap_open_dead(DLT_EN10MB, 65535);
    pcap_dumper_t* dumper = dead ? pcap_dump_open(dead, path.c_str()) : nullptr;
    if (!dumper) {
        if (dead)
            pcap_close(dead);
        return false;
    }
    TrafficMaker maker;
    for (int written = 0; written < packets;) {
        for (const capture_builder::Segment& segment : maker.Next()) {
            if (written++ == packets)
                break;
            const std::vector<std::uint8_t> frame = capture_builder::Frame(DLT_EN10MB, segment, false);
            pcap_pkthdr header{};
            header.ts.tv_sec = static_cast<time_t>(segment.timeNs / 1'000'000'000);
            header.ts.tv_usec = static_cast<suseconds_t>(segment.timeNs % 1'000'000'000 / 1000);
            header.len = header.caplen = static_cast<bpf_u_int32>(frame.size());
            pcap_dump(reinterpret_cast<u_char*>(dumper), &header, frame.data());
        }
    }
    pcap_dump_close(dumper);
    pcap_close(dead);
    return true;
}
