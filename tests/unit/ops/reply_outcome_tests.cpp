// What the reply dispatch says one datagram did, read against what it did to the pages: the
// window follows up on the outcome alone, so the two must agree for every kind of datagram.
#include <gtest/gtest.h>

#include "ops/device_block.h"
#include "ops/outcomes.h"
#include "ops/page_forms.h"
#include "tests/unit/ops/fakes.h"

namespace ktr::test {
namespace {

constexpr MacAddress kDevice{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};
constexpr MacAddress kOther{0x00, 0x0E, 0xEB, 0x99, 0x99, 0x99};

Bytes NetworkReply(const MacAddress &mac)
{
    Bytes payload(mac.begin(), mac.end());
    const NetworkBlock block;
    payload.insert(payload.end(), block.bytes().begin(), block.bytes().end());
    return EncodeReply(kCmdReadNetwork, payload);
}

Bytes DeviceBlockReply(const MacAddress &mac)
{
    const DeviceBody body = EncodeDeviceBody(DefaultPageDeviceBlock());
    return EncodeTunnelReply(kCmdTunnel, mac, SealTunnelFrame(kTunnelReadBlock, body));
}

Bytes WriteAck(const MacAddress &mac)
{
    return EncodeTunnelReply(kCmdTunnelReply, mac, SealTunnelFrame(kTunnelWriteBlock, {}));
}

// A byte of the tunnel frame's body changed on the way: its CRC no longer matches.
Bytes WithBadCrc(Bytes datagram)
{
    datagram.at(kTunnelOffset + 5) ^= 0x01;
    return datagram;
}

Bytes Shortened(Bytes datagram, std::size_t size)
{
    datagram.resize(size);
    return datagram;
}

struct OutcomeCase
{
    const char *name;
    Bytes datagram;
    // What the tool waits for before the datagram comes, if anything.
    std::optional<Awaited> awaited;
    ReplyEffect effect;
    bool fromDevice; // the outcome names kDevice
};

void PrintTo(const OutcomeCase &c, std::ostream *out)
{
    *out << c.name;
}

std::vector<OutcomeCase> OutcomeCases()
{
    const Bytes search = EncodeReply(kCmdSearch, Bytes(22, 0));
    return {
        {"search reply", search, std::nullopt, ReplyEffect::DeviceListed, false},
        {"network read waited for", NetworkReply(kDevice), Awaited::NetworkBlock,
         ReplyEffect::NetworkShown, true},
        {"network read nobody waits for", NetworkReply(kDevice), std::nullopt,
         ReplyEffect::NotWaitedFor, true},
        {"network read from another device", NetworkReply(kOther), Awaited::NetworkBlock,
         ReplyEffect::NotWaitedFor, false},
        {"device read waited for", DeviceBlockReply(kDevice), Awaited::DeviceBlock,
         ReplyEffect::DeviceBlockShown, true},
        {"device read with a broken CRC", WithBadCrc(DeviceBlockReply(kDevice)),
         Awaited::DeviceBlock, ReplyEffect::NotDecoded, false},
        {"write acknowledgement waited for", WriteAck(kDevice), Awaited::DeviceWriteAck,
         ReplyEffect::DeviceWriteConfirmed, true},
        {"write acknowledgement answering a read", WriteAck(kDevice), Awaited::DeviceBlock,
         ReplyEffect::NotWaitedFor, true},
        {"empty tunnel reply", Hex("55 00 00 0A 00 0E EB 12 34 56"), Awaited::DeviceBlock,
         ReplyEffect::Nothing, false},
        {"our own search request", EncodeSearchRequest(), std::nullopt, ReplyEffect::NotDecoded,
         false},
        {"short network reply", Shortened(NetworkReply(kDevice), 100), Awaited::NetworkBlock,
         ReplyEffect::NotDecoded, false},
        {"reply to a network write",
         EncodeReply(kCmdWriteNetwork, Bytes(kDevice.begin(), kDevice.end())), std::nullopt,
         ReplyEffect::NotDecoded, false},
    };
}

class ReplyOutcomeTest : public ::testing::TestWithParam<OutcomeCase>
{
protected:
    Harness h;
};

TEST_P(ReplyOutcomeTest, SaysWhatTheDatagramDidToThePages)
{
    const OutcomeCase &c = GetParam();
    if (c.awaited) {
        const Purpose purpose = *c.awaited == Awaited::NetworkBlock  ? Purpose::ShowNetwork
                                : *c.awaited == Awaited::DeviceBlock ? Purpose::ShowDevice
                                                                     : Purpose::ConfirmWrite;
        h.state.pending.addSent(AwaitFromDevice(kDevice, *c.awaited, purpose, {}), h.now);
    }
    const NetworkForm networkBefore = h.networkPage.form();
    const DeviceForm deviceBefore = h.devicePage.form();
    const std::size_t shownBefore = h.shell.shown.size();

    const ReplyOutcome outcome = OnDatagram(h.ui, c.datagram);

    EXPECT_EQ(outcome.effect, c.effect);
    if (c.fromDevice) {
        EXPECT_EQ(outcome.device, kDevice);
    }
    // The outcome and the pages agree: a page changed exactly when the outcome says so.
    EXPECT_EQ(h.list.rows.size(), c.effect == ReplyEffect::DeviceListed ? 1u : 0u);
    EXPECT_EQ(h.networkPage.form() != networkBefore, c.effect == ReplyEffect::NetworkShown);
    EXPECT_EQ(h.devicePage.form() != deviceBefore, c.effect == ReplyEffect::DeviceBlockShown);
    EXPECT_EQ(h.state.deviceBlockRead, c.effect == ReplyEffect::DeviceBlockShown);
    // Every datagram but an empty tunnel reply refreshes the message area once.
    EXPECT_EQ(h.shell.shown.size() - shownBefore, c.effect == ReplyEffect::Nothing ? 0u : 1u);
    // A reply taken is no longer waited for; one not taken still is.
    const bool taken = c.effect == ReplyEffect::NetworkShown ||
                       c.effect == ReplyEffect::DeviceBlockShown ||
                       c.effect == ReplyEffect::DeviceWriteConfirmed;
    EXPECT_EQ(h.state.pending.empty(), taken || !c.awaited);
}

INSTANTIATE_TEST_SUITE_P(Datagrams, ReplyOutcomeTest, ::testing::ValuesIn(OutcomeCases()));

TEST(ReplyOutcomeTest, AReReadAfterARestartingWriteLeavesThePageToTheVerification)
{
    Harness h;
    h.state.pending.addSent(
        AwaitFromDevice(kDevice, Awaited::NetworkBlock, Purpose::VerifyWrite, {}), h.now);
    const NetworkForm before = h.networkPage.form();
    const ReplyOutcome outcome = OnDatagram(h.ui, NetworkReply(kDevice));
    EXPECT_EQ(outcome, (ReplyOutcome{ReplyEffect::VerificationRead, kDevice}));
    EXPECT_EQ(h.networkPage.form(), before);
}

} // namespace
} // namespace ktr::test
