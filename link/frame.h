// Wire format of the KTR-4410-HT-LAN UDP protocol: constants, checksums, request and reply
// encoding, tunnel frames and the classification of received datagrams.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ktr {

// --- Wire constants -------------------------------------------------------------------------

inline constexpr std::uint16_t kPort = 1901;
inline constexpr std::size_t kMaxDatagram = 1024;

inline constexpr std::uint8_t kRequestStart = 0xAA;
inline constexpr std::uint8_t kReplyStart = 0x55;
inline constexpr std::uint8_t kTunnelStart = 0x7E;

// Command codes at offset 3 of every frame.
inline constexpr std::uint8_t kCmdSearch = 0x02;
inline constexpr std::uint8_t kCmdReadNetwork = 0x03;
inline constexpr std::uint8_t kCmdWriteNetwork = 0x04;
inline constexpr std::uint8_t kCmdFactoryReset = 0x06;
inline constexpr std::uint8_t kCmdTunnel = 0x0A;
inline constexpr std::uint8_t kCmdTunnelReply = 0x0B; // only ever received, decoded like 0x0A
inline constexpr std::uint8_t kCmdWriteMac = 0x0F;

// Tunnel functions at offset 1 of a tunnel frame.
inline constexpr std::uint8_t kTunnelReadBlock = 0x10;
inline constexpr std::uint8_t kTunnelWriteBlock = 0x11;

inline constexpr std::size_t kMacSize = 6;
inline constexpr std::size_t kHeaderSize = 4;           // start byte, length (2), command
inline constexpr std::size_t kAddressedHeaderSize = 10; // header plus the MAC of the device
inline constexpr std::size_t kNetworkBlockSize = 292;
inline constexpr std::size_t kDeviceBodySize = 92;
inline constexpr std::size_t kDeviceFrameSize = 96; // 7E, function, body, CRC
inline constexpr std::size_t kTunnelReadFrameSize = 4;

// Offsets and minimum sizes of the replies the tool decodes.
inline constexpr std::size_t kTunnelOffset = 10;
inline constexpr std::size_t kNetworkBlockOffset = 10;
inline constexpr std::size_t kMinCommandReply = 4;
inline constexpr std::size_t kMinSearchReply = 20;
inline constexpr std::size_t kMinNetworkReply = kNetworkBlockOffset + kNetworkBlockSize; // 302

// Search reply layout.
inline constexpr std::size_t kSearchIpOffset = 8;
inline constexpr std::size_t kSearchMacOffset = 12;
inline constexpr std::size_t kSearchFirmwareOffset = 18;
inline constexpr std::size_t kSearchNameOffset = 22;

using MacAddress = std::array<std::uint8_t, kMacSize>;
using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// --- Checksums ------------------------------------------------------------------------------

// Sum modulo 256 of the bytes: the outer frame's checksum over command and payload.
std::uint8_t FrameSum(ByteView bytes);

// CRC-16/MODBUS (initial 0xFFFF, reflected 0xA001, no final XOR), table driven.
std::uint16_t Crc16(ByteView bytes);

// --- Requests (start byte 0xAA) -------------------------------------------------------------

// Any request: AA, big-endian length of command plus payload, command, payload, FrameSum.
Bytes EncodeRequest(std::uint8_t command, ByteView payload);
// The payload of every request addressed to one device: its MAC, then the rest.
Bytes AddressedPayload(const MacAddress &device, ByteView rest);

Bytes EncodeSearchRequest();
Bytes EncodeReadNetworkRequest(const MacAddress &device);
Bytes EncodeWriteNetworkRequest(const MacAddress &device,
                                std::span<const std::uint8_t, kNetworkBlockSize> block);
Bytes EncodeFactoryResetRequest(const MacAddress &device);
Bytes EncodeWriteMacRequest(const MacAddress &device, const MacAddress &newMac);
// A command-0x0A request carrying a tunnel frame after the device's MAC.
Bytes EncodeTunnelRequest(const MacAddress &device, ByteView tunnelFrame);

// Tunnel frame: 7E, function, body, Crc16 low byte first. Function 0x10 takes no body (4 bytes);
// function 0x11 takes the 92-byte device body (96 bytes). Anything else gives an empty frame.
Bytes BuildTunnelFrame(std::uint8_t function, ByteView body = {});
// Any tunnel frame: 7E, function, the body as given, Crc16 low byte first. A device answers
// function 0x10 with the device body and function 0x11 with an empty body.
Bytes SealTunnelFrame(std::uint8_t function, ByteView body);

// --- Replies (start byte 0x55), as a device sends them ---------------------------------------

// A reply whose length field counts command plus payload, as the search and network replies.
Bytes EncodeReply(std::uint8_t command, ByteView payload);
// A tunnel reply: the length field holds the tunnel frame's length, the frame sits at offset 10.
Bytes EncodeTunnelReply(std::uint8_t command, const MacAddress &device, ByteView tunnelFrame);

// --- Received tunnel frames -----------------------------------------------------------------

enum class TunnelStatus {
    Accepted, // CRC and start byte good; function holds the function code
    TooShort, // two bytes or fewer
    BadCrc,
    BadStart,
    ShortBlock, // a CRC-valid function-0x10 frame that cannot hold the device body
};

struct TunnelCheck
{
    TunnelStatus status = TunnelStatus::TooShort;
    std::uint8_t function = 0; // 0 when rejected
    ByteView body;             // function 0x10: the 92 body bytes; otherwise the bytes between
                               // function and CRC
};

// Acceptance test of a received tunnel frame: length, CRC (low byte first), start byte, and for
// function 0x10 room for the whole device body.
[[nodiscard]] TunnelCheck CheckTunnelFrame(ByteView frame);

// --- Received datagrams ---------------------------------------------------------------------

enum class DatagramKind {
    NotAReply,    // first byte is not 0x55, e.g. our own request looped back
    Truncated,    // shorter than the fields its decoder reads
    SearchReply,  // payload: the whole datagram (at least 20 bytes)
    NetworkReply, // payload: the 292-byte NetworkBlock
    TunnelReply,  // payload: the L bytes of the tunnel frame
    EmptyTunnel,  // tunnel reply with L = 0: nothing at all happens, not even a refresh
    Undecoded,    // any other command code (replies to 0x04, 0x06, 0x0F, ...)
};

struct Datagram
{
    DatagramKind kind = DatagramKind::NotAReply;
    std::uint8_t command = 0;
    ByteView payload;
    // Network and tunnel replies: the MAC of the device that sent it (bytes 4-9).
    MacAddress device{};
    // Tunnel replies: the acceptance test of the tunnel frame in the payload.
    TunnelCheck tunnel;
};

// Sorts a received datagram for the reply dispatch, checking a tunnel frame's CRC on the way, so
// that nothing after it looks at the bytes again; never reads past its end.
[[nodiscard]] Datagram ClassifyDatagram(ByteView datagram);

// A request (start byte 0xAA): on port 1901 that is our own broadcast coming back, never a reply.
inline bool IsRequestFrame(ByteView datagram)
{
    return !datagram.empty() && datagram[0] == kRequestStart;
}

// Reads a device MAC (bytes 4 to 9) from a request or reply; nullopt if too short.
[[nodiscard]] std::optional<MacAddress> RequestMac(ByteView request);

} // namespace ktr
