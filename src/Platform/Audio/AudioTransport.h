#pragma once

#include <cstdint>

// Transport codes of audio devices (four characters packed big-endian).
namespace AudioTransport {
constexpr std::uint32_t code(const char (&c)[5]) {
    return std::uint32_t(std::uint8_t(c[0])) << 24 | std::uint32_t(std::uint8_t(c[1])) << 16 |
           std::uint32_t(std::uint8_t(c[2])) << 8 | std::uint32_t(std::uint8_t(c[3]));
}
constexpr std::uint32_t builtIn = code("bltn");
constexpr std::uint32_t usb = code("usb ");
constexpr std::uint32_t bluetooth = code("blue");
constexpr std::uint32_t virtualDevice = code("virt");
constexpr std::uint32_t aggregate = code("grup");
} // namespace AudioTransport
