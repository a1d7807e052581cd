#pragma once

#include "decode/DecodeTable.h"
#include "decode/FieldRules.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Why a message broke a rule, in words, for the record's examples. Byte numbers count from 1.

// A table rule broken at offset (a range rule: the field's first byte): 'byte 13 is 0x35 ("5"): must be
// 1, 2 or 3', 'gate number "0000": outside 0001 to 9999'.
std::string TableRuleReason(FieldRules::Rule rule, const MessageTokens& tokens, std::size_t offset);
// "data length 0x0C with command 0x11, which needs 0x04"
std::string LengthReason(const MessageTokens& tokens);
// 'byte 6 is "zz": not two hexadecimal digits (the table reads it as 0x00)'
std::string OddTokenReason(const MessageTokens& tokens, std::size_t index);
// "7 of 16 bytes: the rest never came"
std::string CutShortReason(std::uint64_t length, std::uint64_t shortBy);
// "begins 0xFF 0x00: neither a data length nor the version"
std::string NotMessageReason(const MessageTokens& tokens);
