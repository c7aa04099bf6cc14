// The host's own IPv4 addresses, taken from its interface list.
//
// The interface list rather than the resolved host name: on many Linux hosts the name resolves
// to 127.0.1.1 only, which would open a single endpoint on loopback and reach no device.
#include "link/endpoints.h"

#ifdef _WIN32
#include "link/winsock.h"
#else
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#endif

namespace ktr {
namespace {

bool IsLoopback(std::uint32_t address)
{
    return (address >> 24) == 127;
}

} // namespace

#ifdef _WIN32

std::vector<std::uint32_t> LocalIpv4Addresses()
{
    std::vector<std::uint32_t> addresses;
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    // The adapter list may grow between the size query and the read; a few attempts suffice.
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result =
            ::GetAdaptersAddresses(AF_INET, kFlags, nullptr,
                                   reinterpret_cast<IP_ADAPTER_ADDRESSES *>(buffer.data()), &size);
    }
    if (result != NO_ERROR)
        return addresses;
    for (auto *adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES *>(buffer.data()); adapter;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        for (auto *u = adapter->FirstUnicastAddress; u; u = u->Next) {
            const SOCKADDR *sa = u->Address.lpSockaddr;
            if (!sa || sa->sa_family != AF_INET)
                continue;
            const auto *in = reinterpret_cast<const sockaddr_in *>(sa);
            const std::uint32_t address = ntohl(in->sin_addr.s_addr);
            if (!IsLoopback(address))
                addresses.push_back(address);
        }
    }
    return addresses;
}

#else

std::vector<std::uint32_t> LocalIpv4Addresses()
{
    std::vector<std::uint32_t> addresses;
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return addresses;
    // getifaddrs lists the addresses interface by interface, in the kernel's interface order.
    for (const ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto *in = reinterpret_cast<const sockaddr_in *>(i->ifa_addr);
        const std::uint32_t address = ntohl(in->sin_addr.s_addr);
        if (!IsLoopback(address))
            addresses.push_back(address);
    }
    ::freeifaddrs(list);
    return addresses;
}

#endif

} // namespace ktr
