// Reads and writes of multi-byte numbers: little-endian inside device records, big-endian in
// the length field of a frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ktr {

inline std::uint16_t GetLe16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline std::uint32_t GetLe32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return std::uint32_t{GetLe16(bytes, offset)} | std::uint32_t{GetLe16(bytes, offset + 2)} << 16;
}

inline void PutLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::uint16_t GetBe16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

inline void PutBe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

inline void PutLe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value)
{
    PutLe16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    PutLe16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

} // namespace ktr
