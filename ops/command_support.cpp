// Steps the user's commands share.
#include "ops/command_support.h"

#include "ops/mac_text.h"
#include "ops/outcomes.h"

namespace ktr {
namespace {

void ShowProgressLine(Ui &ui, std::string_view line)
{
    ui.state.messageText.clear();
    ui.state.messageText.appendLine(line);
}

} // namespace

int SendWithProgress(Ui &ui, ByteView request, std::string_view progressLine)
{
    ShowProgressLine(ui, progressLine);
    const int sent = ui.shell.SendToAll(request);
    SayIfNothingSent(ui, sent);
    ui.shell.refreshMessages();
    return sent;
}

int SendThenReport(Ui &ui, ByteView request, std::string_view progressLine)
{
    const int sent = ui.shell.SendToAll(request);
    ShowProgressLine(ui, progressLine);
    SayIfNothingSent(ui, sent);
    ui.shell.refreshMessages();
    return sent;
}

void ShowOnlyLine(Ui &ui, std::string_view line)
{
    ShowProgressLine(ui, line);
    ui.shell.refreshMessages();
}

bool RequireDeviceRead(Ui &ui)
{
    if (ui.state.pageDeviceMac == ui.state.SelectedDeviceMac)
        return true;
    ShowOnlyLine(ui, kNoDeviceLine);
    return false;
}

std::optional<int> RowOfDevice(const DeviceList &list, const MacAddress &mac)
{
    for (int row = 0; row < list.rowCount(); ++row) {
        if (ParseMacPlain(list.cellText(row, kMacColumn)) == mac)
            return row;
    }
    return std::nullopt;
}

void SayIfNothingSent(Ui &ui, int sent)
{
    if (sent == 0)
        ui.state.messageText.appendLine(kNothingSentLine);
}

std::optional<NetworkBlock> RecordOf(const AppState &state, const MacAddress &mac)
{
    if (state.networkBlockMac != mac)
        return std::nullopt;
    return state.LastNetworkBlock;
}

std::string DeviceNamed(const Ui &ui, const MacAddress &mac)
{
    std::string name = FormatMacPlain(mac);
    if (const auto row = RowOfDevice(ui.list, mac))
        name += " (" + ui.list.cellText(*row, kIpColumn) + ")";
    return name;
}

} // namespace ktr
