// Runs the socket tests in a network namespace of their own when the process may create one
// (root): the tests bind port 1901 on 127.0.0.x, which would otherwise meet the sockets of any
// other test run or tool on this host. Elsewhere they run in the namespace they are given,
// which needs lo up. Windows has no network namespaces: there the tests run where they start.
#include "link_test_support.h"

#ifdef _WIN32

#include <gtest/gtest.h>

#include "link/endpoints.h"

namespace ktr::test {
namespace {

// Winsock answers every call with WSANOTINITIALISED until the process has started it, as the
// tool does at start-up.
class NetworkStack : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_TRUE(StartNetworkStack()); }
    void TearDown() override { ReleaseNetworkStack(); }
};

[[maybe_unused]] ::testing::Environment *const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new NetworkStack);

} // namespace

bool InPrivateNetwork()
{
    return false;
}

} // namespace ktr::test

#else

#include <gtest/gtest.h>

#include <cstring>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ktr::test {
namespace {

bool gPrivate = false;

bool BringLoopbackUp()
{
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0)
        return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(s, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        up = ::ioctl(s, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(s);
    return up;
}

// The move happens before the first test, while the process has a single thread, so every
// thread the tests start lives in the new namespace.
class PrivateNetwork : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (::unshare(CLONE_NEWNET) != 0)
            return;
        ASSERT_TRUE(BringLoopbackUp()) << "lo of the private network namespace stays down";
        gPrivate = true;
    }
};

[[maybe_unused]] ::testing::Environment *const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new PrivateNetwork);

} // namespace

bool InPrivateNetwork()
{
    return gPrivate;
}

} // namespace ktr::test

#endif
