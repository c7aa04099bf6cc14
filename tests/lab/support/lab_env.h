// Where the lab tests find the lab: namespace names and the simulator binary.
#pragma once

#include <cstdint>
#include <string>

namespace ktr {

enum class LabHost { Pc, Dev, Dev2 };

// The namespace of a lab host ("ktr-pc", ...; the prefix follows KTR_LAB_NAME as scripts/lab
// does).
std::string LabNamespace(LabHost host);
// $KTR_SIM, or an empty string when unset.
std::string SimBinary();

// The lab's addresses, first octet most significant.
inline constexpr std::uint32_t kLabPc0 = 0x0A4D010Au;  // 10.77.1.10 on br0
inline constexpr std::uint32_t kLabPc1 = 0x0A4D020Au;  // 10.77.2.10 on br1
inline constexpr std::uint32_t kLabDev0 = 0x0A4D0102u; // 10.77.1.2 on br0
inline constexpr std::uint32_t kLabDev1 = 0x0A4D0202u; // 10.77.2.2 on br1

} // namespace ktr
