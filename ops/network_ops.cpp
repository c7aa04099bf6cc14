// Reading a device's network settings into the network page and writing the page back.
#include "ops/commands.h"

#include <optional>
#include <string>

#include "ops/ansi_text.h"
#include "ops/command_support.h"
#include "ops/control_ids.h"
#include "ops/mac_text.h"
#include "ops/outcomes.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

constexpr int kMacColumn = 2; // twelve hex digits, as the search reply gave them

struct AddressEdit
{
    int id;
    AddressField field;
};
// In the order the page is collected.
constexpr AddressEdit kAddressEdits[] = {
    {ids::kStaticIp, AddressField::StaticIp},
    {ids::kSubnetMask, AddressField::SubnetMask},
    {ids::kGateway, AddressField::Gateway},
};

// DHCP greys the static address fields; they keep their text and a write still sends them.
void ApplyIpModeEnableRule(Page &page)
{
    const bool enabled = page.selection(ids::kIpMode) != ids::kIpModeDhcp;
    for (const AddressEdit &edit : kAddressEdits)
        page.setEnabled(edit.id, enabled);
}

// A target address has 30 bytes on the device, its ending zero byte included. Returns the first
// server entry (0-7) whose text does not fit.
std::optional<int> FirstOverlongTargetAddress(const Page &page)
{
    for (int n = 0; n < kServerCount; ++n) {
        if (AnsiText(page, ids::kServers[n].targetAddress).size() > kMaxTargetAddressBytes)
            return n;
    }
    return std::nullopt;
}

// Lays the page's fields over the record. Fields the page does not show (offsets 13-18, the
// bytes behind each address's zero byte) keep what the last read delivered.
void OverlayPage(const Page &page, NetworkBlock &block)
{
    for (const AddressEdit &edit : kAddressEdits)
        block.setAddress(edit.field, ParseDottedAddress(AnsiText(page, edit.id)));
    block.setStaticIp(page.selection(ids::kIpMode) != ids::kIpModeDhcp);
    for (int n = 0; n < kServerCount; ++n) {
        const ids::ServerIds &server = ids::kServers[n];
        ServerSlot slot = block.server(n);
        // Checked to fit before the overlay started.
        slot.overlayTargetAddress(AnsiText(page, server.targetAddress));
        slot.setLocalPort(ReadLow16(page, server.localPort));
        slot.setTargetPort(ReadLow16(page, server.targetPort));
    }
    block.setMaxConnections(static_cast<std::uint8_t>(page.selection(ids::kMaxConnections)));
}

} // namespace

void OnDblclkDeviceList(Ui &ui)
{
    const int row = ui.list.selectedRow();
    if (row < 0)
        return;
    const MacAddress mac = ParseMacPlain(ui.list.cellText(row, kMacColumn));
    AppState &state = ui.state;
    state.SelectedDeviceMac = mac;
    ui.networkPage.setText(ids::kMacEdit, FormatMacDashed(mac));
    // The pages now belong to this device: late answers of the one read before are not taken.
    state.pending.cancel(Purpose::ShowNetwork);
    state.pending.cancel(Purpose::ShowDevice);
    state.pageAwaitsVerifiedRead.reset();
    if (VerificationOf(state, mac) != nullptr) {
        // The device is restarting after our own write: its re-read fills the page.
        state.pageAwaitsVerifiedRead = mac;
        state.messageText.clear();
        state.messageText.appendLine("读取参数...");
        state.messageText.appendLine(kWaitingForRestartLine);
        ui.shell.refreshMessages();
        return;
    }
    const Bytes request = EncodeReadNetworkRequest(mac);
    const int sent = SendWithProgress(ui, request, "读取参数...");
    AwaitReply(ui, AwaitFromDevice(mac, Awaited::NetworkBlock, Purpose::ShowNetwork, request),
               sent);
}

void ShowNetworkBlock(Ui &ui, ByteView block)
{
    if (block.size() != NetworkBlock::kSize)
        return;
    AppState &state = ui.state;
    Page &page = ui.networkPage;
    state.LastNetworkBlock = NetworkBlock(block.first<NetworkBlock::kSize>());
    const NetworkBlock &record = state.LastNetworkBlock;

    page.setSelection(ids::kIpMode, record.isStaticIp() ? 0 : ids::kIpModeDhcp);
    page.setText(ids::kStaticIp, FormatDottedAddress(record.address(AddressField::StaticIp)));
    page.setText(ids::kSubnetMask, FormatDottedAddress(record.address(AddressField::SubnetMask)));
    page.setText(ids::kGateway, FormatDottedAddress(record.address(AddressField::Gateway)));
    ApplyIpModeEnableRule(page);
    for (int n = 0; n < kServerCount; ++n) {
        const ids::ServerIds &server = ids::kServers[n];
        const auto slot = record.server(n);
        SetNumber(page, server.localPort, slot.localPort());
        SetNumber(page, server.targetPort, slot.targetPort());
        page.setText(server.targetAddress, AnsiToUtf8(slot.targetAddress()));
    }
    // A count above the items' range shows no selection.
    page.setSelection(ids::kMaxConnections, record.maxConnections());
}

void OnSelchangeIpMode(Ui &ui)
{
    ApplyIpModeEnableRule(ui.networkPage);
}

void OnConfigureNetwork(Ui &ui)
{
    // An address that does not fit would run into the next entry's ports: refuse the whole write
    // before the record is touched, naming the entry the user has to shorten.
    if (const auto entry = FirstOverlongTargetAddress(ui.networkPage)) {
        const std::string text = "服务器" + std::to_string(*entry + 1) + "的目标地址超过" +
                                 std::to_string(kMaxTargetAddressBytes) + "字节";
        ui.shell.messageBox(text, "目标地址错误", BoxIcon::Exclamation);
        return;
    }
    NetworkBlock &block = ui.state.LastNetworkBlock;
    OverlayPage(ui.networkPage, block);
    const MacAddress &mac = ui.state.SelectedDeviceMac;
    if (SendThenReport(ui, EncodeWriteNetworkRequest(mac, block.bytes()), "设置参数... ") > 0)
        StartVerification(ui, RestartingWrite::NetworkSettings, mac, block);
}

} // namespace ktr
