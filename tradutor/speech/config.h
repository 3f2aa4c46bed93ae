// Values of the shared configuration file ZEBUNA.INI as the speech layer
// reads them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace speech {

// A leading "@" and every "@\" of a value take the system root that `root`
// gives. The search goes on after each inserted root, so a root that itself
// holds "@\" is not expanded again.
std::string substituteRoot(std::string value, const std::function<std::string()> &root);

// A configuration integer: decimal, or hexadecimal after "$" or "0x",
// optionally signed, leading blanks allowed. Nothing when the text is not
// such a number or does not fit 32 bits.
std::optional<int32_t> parseConfigInteger(const std::string &text);

// A switch: on when the value is present and does not start with N or n.
bool isSwitchOn(const std::string &value);

} // namespace speech
