// Fuzzes the window's side of the protocol: sequences of user commands, received datagrams and
// clock ticks run through the commands and the dispatcher over the page and list fakes. Besides
// memory errors it checks the round trip a technician relies on: a network read taken for the
// page, written back unedited, sends exactly the record that was read - or, when the record holds
// a value the page's checks refuse, sends nothing and says why. Late and duplicated answers are fed
// around the writes: an answer that still shows the record from before a write never ends the
// write's check while its window is open.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ops/form_checks.h"
#include "ops/mac_text.h"
#include "tests/unit/ops/fakes.h"

namespace {

using namespace ktr;
using namespace std::chrono_literals;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size)
        : data_(data)
        , size_(size)
    {
    }
    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    Bytes bytes(std::size_t count)
    {
        Bytes out;
        while (out.size() < count && !empty())
            out.push_back(byte());
        return out;
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

constexpr MacAddress kDevices[2] = {{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x01},
                                    {0x00, 0x0E, 0xEB, 0x00, 0x00, 0x02}};

// A MAC write that went out: to a device chosen and read, with a MAC that one device can hold
// and that no other device of the list holds.
void CheckMacWriteMayGoOut(const test::Harness &h, bool chosenAndRead, const MacAddress &from,
                           const MacAddress &newMac)
{
    Check(chosenAndRead);
    Check(h.shell.sent.back() == EncodeWriteMacRequest(from, newMac));
    Check(newMac != MacAddress{} && (newMac[0] & 0x01) == 0 && newMac != from);
    for (const DeviceRow &row : h.list.rows)
        Check(row.at(2) != FormatMacPlain(newMac));
}

// A record the page can show and give back unchanged: mode 0x80 or 0x00, a connection count of
// the combo's items, printable target addresses that fit; any other byte as the input has it.
NetworkBlock ShowableRecord(Input &in)
{
    Bytes raw = in.bytes(kNetworkBlockSize);
    raw.resize(kNetworkBlockSize);
    NetworkBlock block(std::span<const std::uint8_t, kNetworkBlockSize>(raw.data(), raw.size()));
    block.setStaticIp((raw[0] & 0x80) != 0);
    block.setMaxConnections(static_cast<std::uint8_t>(raw[19] % 9));
    for (int n = 0; n < kServerCount; ++n) {
        std::string text(in.byte() % (kMaxTargetAddressBytes + 1), 'a');
        for (char &c : text)
            c = static_cast<char>('!' + in.byte() % 94);
        // Never longer than the field holds, so it always fits.
        if (!block.server(n).overlayTargetAddress(text))
            std::abort();
    }
    return block;
}

Bytes NetworkReply(const MacAddress &mac, const NetworkBlock &block)
{
    Bytes payload(mac.begin(), mac.end());
    payload.insert(payload.end(), block.bytes().begin(), block.bytes().end());
    return EncodeReply(kCmdReadNetwork, payload);
}

// A late answer to a read sent before a write, delivered once or twice, while the write's check
// may be under way.
void DeliverLateAnswer(test::Harness &h, Input &in)
{
    if (h.state.verifications.empty())
        return;
    const WriteVerification &v = h.state.verifications[in.byte() % h.state.verifications.size()];
    if (!v.before())
        return;
    const MacAddress mac = v.awaitedMac();
    // A settings write that changes a field the page shows, or a reset: the old record is no
    // evidence of either.
    const bool stale = v.kind() == RestartingWrite::FactoryReset ||
                       (v.kind() == RestartingWrite::NetworkSettings &&
                        !DifferingFields(v.written(), *v.before()).empty());
    const bool open = h.state.clock() < v.windowEnd();
    const NetworkBlock before = *v.before();
    const std::string text = h.state.messageText.text();
    const int copies = 1 + in.byte() % 2;
    for (int n = 0; n < copies; ++n)
        OnDatagram(h.ui, NetworkReply(mac, before));
    if (stale && open) {
        Check(VerificationOf(h.state, mac) != nullptr);
        Check(h.state.messageText.text() == text);
    }
}

// lastDatagram: the last datagram delivered, for a duplicate of it.
void Step(test::Harness &h, Input &in, Bytes &lastDatagram)
{
    Ui &ui = h.ui;
    switch (in.byte() % 13) {
    case 0: {
        // No row, the top row or the second one, as the list can have them selected.
        const int pick = in.byte() % 3 - 1;
        h.list.selected =
            pick >= 0 && pick < h.list.rowCount() ? std::optional<int>(pick) : std::nullopt;
        OnDblclkDeviceList(ui);
        break;
    }
    case 1: {
        const Bytes datagram = in.bytes(in.byte());
        OnDatagram(ui, datagram);
        lastDatagram = datagram;
        break;
    }
    case 2:
        h.now += in.byte() * 20ms;
        OnTick(ui);
        break;
    case 3: {
        const MacAddress &mac = kDevices[in.byte() % 2];
        const NetworkBlock block = ShowableRecord(in);
        const PendingRequest *waiting = h.state.pending.find({mac, Awaited::NetworkBlock});
        const bool forPage = waiting != nullptr && waiting->purpose == Purpose::ShowNetwork;
        lastDatagram = NetworkReply(mac, block);
        OnDatagram(ui, lastDatagram);
        if (forPage) {
            Check(h.state.SelectedDeviceMac == mac);
            // A record is always shown, but one the page's checks refuse (a mask with holes, an
            // address the combo does not list) is never written: one box, nothing sent.
            const bool writable = CheckNetworkForm(h.networkPage.form()).ok();
            const std::size_t sentBefore = h.shell.sent.size();
            const std::size_t boxesBefore = h.shell.boxes.size();
            OnConfigureNetwork(ui);
            if (writable) {
                Check(h.shell.sent.size() == sentBefore + 1);
                Check(h.shell.sent.back() == EncodeWriteNetworkRequest(mac, block.bytes()));
            } else {
                Check(h.shell.sent.size() == sentBefore);
                Check(h.shell.boxes.size() == boxesBefore + 1);
            }
        }
        break;
    }
    case 4:
        OnReadDeviceBlock(ui);
        break;
    case 5:
        OnWriteDeviceBlock(ui);
        break;
    case 6:
        h.shell.answerYes = (in.byte() & 1) != 0;
        OnLoadDefaults(ui);
        break;
    case 7:
        OnConfigureNetwork(ui);
        break;
    case 8:
        h.shell.openEndpoints = in.byte() % 2;
        break;
    case 9: {
        const std::uint8_t pick = in.byte();
        MacAddress newMac = kDevices[pick % 2];
        if ((pick & 0x80) != 0) {
            const Bytes raw = in.bytes(newMac.size());
            std::copy(raw.begin(), raw.end(), newMac.begin());
        }
        h.networkPage.current.mac = FormatMacDashed(newMac);
        const MacAddress from = h.state.SelectedDeviceMac;
        const bool chosenAndRead = h.state.pageDeviceMac == from;
        const std::size_t sentBefore = h.shell.sent.size();
        OnWriteMac(ui);
        if (h.shell.sent.size() != sentBefore)
            CheckMacWriteMayGoOut(h, chosenAndRead, from, newMac);
        break;
    }
    case 10:
        DeliverLateAnswer(h, in);
        break;
    case 11:
        // An answer delivered twice, as a device on two paths or a retry's late reply gives it.
        OnDatagram(ui, lastDatagram);
        break;
    case 12:
        // The user types another static IP, so that a write differs from the record read.
        h.networkPage.current.staticIp = "10.0.0." + std::to_string(in.byte());
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    test::Harness h;
    for (const MacAddress &mac : kDevices)
        h.list.insertRowAtTop({"192.168.0.10", "KTR", FormatMacPlain(mac), "288"});
    Input in(data, size);
    Bytes lastDatagram;
    for (int steps = 0; steps < 64 && !in.empty(); ++steps)
        Step(h, in, lastDatagram);
    return 0;
}
