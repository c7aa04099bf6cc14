// The device's 292-byte network settings record and its typed fields.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "link/byte_order.h"
#include "link/frame.h"

namespace ktr {

inline constexpr int kServerCount = 8;
inline constexpr std::size_t kServerSlotSize = 34;
inline constexpr std::size_t kTargetAddressSize = 30;     // field size, zero byte included
inline constexpr std::size_t kMaxTargetAddressBytes = 29; // longest text that still fits

// The three dotted addresses of the record, by their byte offset.
enum class AddressField : std::size_t { StaticIp = 1, Gateway = 5, SubnetMask = 9 };

// One server entry (34 bytes): local port, target port (both little-endian) and the target
// address text ended by a zero byte. A view into its NetworkBlock; read-only when Byte is const.
template <typename Byte>
class BasicServerSlot
{
public:
    static constexpr std::size_t kLocalPortOffset = 0;
    static constexpr std::size_t kTargetPortOffset = 2;
    static constexpr std::size_t kTargetAddressOffset = 4;
    static constexpr bool kWritable = !std::is_const_v<Byte>;

    explicit BasicServerSlot(std::span<Byte, kServerSlotSize> bytes)
        : bytes_(bytes)
    {
    }

    std::uint16_t localPort() const { return get16(kLocalPortOffset); }
    std::uint16_t targetPort() const { return get16(kTargetPortOffset); }
    void setLocalPort(std::uint16_t port) requires kWritable { put16(kLocalPortOffset, port); }
    void setTargetPort(std::uint16_t port) requires kWritable { put16(kTargetPortOffset, port); }

    // The code page 936 bytes up to the first zero byte (at most 30).
    std::string targetAddress() const
    {
        const auto field = bytes_.subspan(kTargetAddressOffset, kTargetAddressSize);
        const auto end = std::find(field.begin(), field.end(), 0);
        return std::string(field.begin(), end);
    }

    // Copies the bytes to the start of the field and ends them with one zero byte; the rest of
    // the field keeps its bytes. Refuses (returns false, field unchanged) text longer than 29
    // bytes, which would not leave room for the zero byte.
    [[nodiscard]] bool overlayTargetAddress(std::string_view ansi) requires kWritable
    {
        if (ansi.size() > kMaxTargetAddressBytes)
            return false;
        auto field = bytes_.subspan(kTargetAddressOffset, kTargetAddressSize);
        std::copy(ansi.begin(), ansi.end(), field.begin());
        field[ansi.size()] = 0;
        return true;
    }

private:
    std::uint16_t get16(std::size_t offset) const { return GetLe16(bytes_, offset); }
    void put16(std::size_t offset, std::uint16_t value) { PutLe16(bytes_, offset, value); }

    std::span<Byte, kServerSlotSize> bytes_;
};

using ServerSlot = BasicServerSlot<std::uint8_t>;
using ConstServerSlot = BasicServerSlot<const std::uint8_t>;

class NetworkBlock
{
public:
    static constexpr std::size_t kSize = kNetworkBlockSize;
    static constexpr std::size_t kOpaqueOffset = 13;
    static constexpr std::size_t kOpaqueSize = 6;
    static constexpr std::size_t kMaxConnectionsOffset = 19;
    static constexpr std::size_t kServersOffset = 20;
    static constexpr std::uint8_t kStaticIpBit = 0x80;

    NetworkBlock() = default;
    explicit NetworkBlock(std::span<const std::uint8_t, kSize> bytes);

    std::span<const std::uint8_t, kSize> bytes() const { return bytes_; }
    std::span<std::uint8_t, kSize> bytes() { return bytes_; }

    // Only bit 7 of offset 0 carries meaning: set is static IP, clear is DHCP/auto IP.
    bool isStaticIp() const { return (bytes_[0] & kStaticIpBit) != 0; }
    // A write always sends exactly 0x80 or 0x00.
    void setStaticIp(bool on) { bytes_[0] = on ? kStaticIpBit : 0x00; }

    // Addresses as 32-bit values with the first dotted octet most significant; stored
    // little-endian (192.168.0.9 travels as 09 00 A8 C0).
    std::uint32_t address(AddressField field) const;
    void setAddress(AddressField field, std::uint32_t value);

    // Offsets 13-18: never shown, sent back as the last read delivered them.
    std::span<const std::uint8_t, kOpaqueSize> opaque() const
    {
        return std::span<const std::uint8_t>(bytes_).subspan<kOpaqueOffset, kOpaqueSize>();
    }

    std::uint8_t maxConnections() const { return bytes_[kMaxConnectionsOffset]; }
    void setMaxConnections(std::uint8_t value) { bytes_[kMaxConnectionsOffset] = value; }

    // Server entry n = 0..7 (shown as "服务器1" to "服务器8").
    ServerSlot server(int n)
    {
        return ServerSlot(
            std::span<std::uint8_t>(bytes_).subspan(serverOffset(n)).first<kServerSlotSize>());
    }
    ConstServerSlot server(int n) const
    {
        return ConstServerSlot(std::span<const std::uint8_t>(bytes_)
                                   .subspan(serverOffset(n))
                                   .first<kServerSlotSize>());
    }

    bool operator==(const NetworkBlock &) const = default;

private:
    static std::size_t serverOffset(int n)
    {
        return kServersOffset + kServerSlotSize * static_cast<std::size_t>(n);
    }

    std::array<std::uint8_t, kSize> bytes_{};
};

} // namespace ktr
