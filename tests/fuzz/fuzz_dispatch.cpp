// Fuzzes the window's side of the protocol: sequences of user commands, received datagrams and
// clock ticks run through the commands and the dispatcher over the page and list fakes. Besides
// memory errors it checks the round trip a technician relies on: a network read taken for the
// page, written back unedited, sends exactly the record that was read - or, when the record holds
// a value the page's checks refuse, sends nothing and says why.
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

void Step(test::Harness &h, Input &in)
{
    Ui &ui = h.ui;
    switch (in.byte() % 9) {
    case 0:
        h.list.selected = in.byte() % 3 - 1;
        OnDblclkDeviceList(ui);
        break;
    case 1: {
        const Bytes datagram = in.bytes(in.byte());
        OnDatagram(ui, datagram);
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
        OnDatagram(ui, NetworkReply(mac, block));
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
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    test::Harness h;
    for (const MacAddress &mac : kDevices)
        h.list.insertRowAtTop({"192.168.0.10", "KTR", FormatMacPlain(mac), "288"});
    Input in(data, size);
    for (int steps = 0; steps < 64 && !in.empty(); ++steps)
        Step(h, in);
    return 0;
}
