#include "report/FloorPages.h"

#include <algorithm>

bool FloorPages::valid() const {
    return std::none_of(pages.begin(), pages.end(), [](const FloorsPage& page) {
        return std::any_of(page.lblAccesibleFloor.begin(), page.lblAccesibleFloor.end(),
                           [](const Label& cell) { return cell.red; });
    });
}

void ReadFloors(const MessageTokens& tokens, FloorPages& view) {
    FloorData data;
    SetFloorData(data, tokens);
    for (int p = 0; p < kFloorsPages; ++p)
        view.pages[static_cast<std::size_t>(p)] = ShowFloors(data, p * kFloorsPageRows);
}
