#include "decode/MessageBuilder.h"

#include <string>

namespace {

using namespace MessageFormat;

void AppendDigits(std::vector<std::uint8_t>& out, int value, std::size_t width) {
    std::string digits(width, '0');
    for (std::size_t i = width; i > 0 && value > 0; --i, value /= 10)
        digits[i - 1] = static_cast<char>('0' + value % 10);
    out.insert(out.end(), digits.begin(), digits.end());
}

} // namespace

std::vector<std::uint8_t> BuildMessage(const MessageFields& fields) {
    // The data length goes in last, once the body is complete.
    std::vector<std::uint8_t> message{0, kVersion, 0, 0, static_cast<std::uint8_t>(fields.command)};
    if (fields.command == kCommand11) {
        message.insert(message.end(), kReserve11.width, 0);
    } else {
        const bool floors = fields.command == kCommand20;
        AppendDigits(message, fields.gate, (floors ? kGate20 : kGate10).width);
        if (floors) {
            message.insert(message.end(), fields.floors.begin(), fields.floors.end());
        } else {
            AppendDigits(message, fields.destFloor, kDestFloor10.width);
            message.push_back(static_cast<std::uint8_t>(fields.door));
        }
        message.push_back(static_cast<std::uint8_t>(fields.attribution));
        message.push_back(static_cast<std::uint8_t>(fields.sequence));
        message.insert(message.end(), (floors ? kReserve20 : kReserve10).width, 0);
    }
    message[kLengthOffset] = static_cast<std::uint8_t>(message.size() - kHeaderBytes);
    return message;
}
