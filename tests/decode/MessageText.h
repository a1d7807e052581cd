#pragma once

#include <string>
#include <vector>

// Byte texts of command 0x20 messages for the views' tests.
namespace MessageText {

inline std::string Join(const std::vector<std::string>& fields) {
    std::string text;
    for (const auto& field : fields)
        text += (text.empty() ? "" : " ") + field;
    return text;
}

// The first n fields of a 0x20 message (header, command, gate "0001") whose floor byte r is floors(r),
// followed by attribution, sequence number and reserve, and by "EE" for any field past the 80th.
template <typename Floors> std::string MessageOf(int n, Floors floors) {
    std::vector<std::string> fields = {"4C", "41", "00", "00", "20", "30", "30", "30", "31"};
    for (int r = 0; r < 64; ++r)
        fields.push_back(floors(r));
    for (const char* tail : {"30", "00", "00", "00", "00", "00", "00"})
        fields.push_back(tail);
    while (int(fields.size()) < n)
        fields.push_back("EE");
    fields.resize(n);
    return Join(fields);
}

// The same with every floor byte floorByte.
inline std::string Message(int n, const std::string& floorByte = "FF") {
    return MessageOf(n, [&](int) { return floorByte; });
}

} // namespace MessageText
