// Search reply fields.
#include "ops/search_reply.h"

#include <algorithm>

#include "link/byte_order.h"

namespace ktr {

SearchReply DecodeSearchReply(ByteView datagram)
{
    SearchReply reply;
    reply.ip = GetLe32(datagram, kSearchIpOffset);
    std::copy_n(datagram.begin() + kSearchMacOffset, kMacSize, reply.mac.begin());
    reply.firmware = GetLe16(datagram, kSearchFirmwareOffset);
    if (datagram.size() > kSearchNameOffset) {
        const auto name = datagram.subspan(kSearchNameOffset);
        const auto end = std::find(name.begin(), name.end(), 0);
        reply.name.assign(name.begin(), end);
    }
    return reply;
}

Bytes EncodeSearchReply(const SearchReply &reply)
{
    // Payload from offset 4: four unexamined bytes, IP, MAC, firmware, two unexamined bytes,
    // then the zero-terminated name.
    Bytes payload(kSearchNameOffset - kHeaderSize, 0);
    PutLe32(payload, kSearchIpOffset - kHeaderSize, reply.ip);
    std::copy(reply.mac.begin(), reply.mac.end(),
              payload.begin() + (kSearchMacOffset - kHeaderSize));
    PutLe16(payload, kSearchFirmwareOffset - kHeaderSize, reply.firmware);
    payload.insert(payload.end(), reply.name.begin(), reply.name.end());
    payload.push_back(0);
    return EncodeReply(kCmdSearch, payload);
}

std::string DroppedRepliesText(std::uint64_t count)
{
    return "接收队列已满，系统丢弃了 " + std::to_string(count) +
           " 个应答：设备列表可能不全，请再搜索一次";
}

} // namespace ktr
