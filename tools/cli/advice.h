// What to check next, said after the messages that would otherwise leave a person stuck.
#pragma once

namespace ktr::cli {

// The search heard nothing.
inline constexpr const char *kNothingFoundText =
    "没有搜索到设备: 请检查设备是否通电、网线是否连接; 有多块网卡时可用 --interface "
    "指定接着设备的那块; 防火墙要放行 UDP 1901 端口, 也不能有其他程序占用这个端口";

// A device named by its MAC did not answer: it may be off, unplugged, or the MAC mistyped.
inline constexpr const char *kNoAnswerAdvice =
    "请检查设备是否通电、网线是否连接, 以及MAC地址是否正确 (ktr-cli search 列出应答的设备)";

} // namespace ktr::cli
