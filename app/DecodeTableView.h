#pragma once

#include "decode/DecodeTable.h"

#include <array>
#include <optional>

class QLabel;
class QWidget;

// The labels of the decode table inside the "Received data" frame. Draw() brings them in line with a
// DecodeTable value, touching only what differs from the last drawing, and tells assistive technology
// what each value cell holds.
class DecodeTableView {
public:
    explicit DecodeTableView(QWidget* frame);

    void Draw(const DecodeTable& table);

private:
    void DescribeCells(const DecodeTable& table);

    std::array<QLabel*, 4> lblHeader{};
    std::array<QLabel*, 3> lblDataTypeH{};
    std::array<QLabel*, 3> lblHeaderExplanation{};
    std::array<QLabel*, 16> lblData{};
    std::array<QLabel*, 7> lblDataTypeD{};
    std::array<QLabel*, 7> lblDataExplanation{};
    std::array<QLabel*, 7> dataNames{}; // lblCommand ... lblReserve
    std::optional<DecodeTable> m_drawn;
};
