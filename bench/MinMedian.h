#pragma once

#include <algorithm>
#include <vector>

// The figures every benchmark reports for its repeated runs.
struct MinMedian {
    double min;
    double median;
};

inline MinMedian Of(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2]};
}
