// The search for devices and the rows their answers add to the device list.
#include "ops/commands.h"

#include <string>

#include "ops/command_support.h"
#include "ops/mac_text.h"
#include "ops/search_reply.h"
#include "ops/text_convert.h"

namespace ktr {

std::string SearchSummaryText(std::size_t devices)
{
    if (devices == 0)
        return "搜索完成，没有搜索到设备：请检查设备是否通电、网线是否连接，以及防火墙是否允许"
               "UDP 1901端口";
    return "搜索完成，共搜索到" + std::to_string(devices) + "台设备";
}

void OnSearch(Ui &ui)
{
    ui.state.messageText.clear();
    ui.state.search =
        SearchSpell{ui.state.clock(), ui.state.clock(), {}, ui.state.messageText.generation()};
    ui.shell.refreshMessages();
    ui.state.messageText.appendLine("搜索...");
    // The list is emptied before anything can open a failure box: while a box is open the
    // window keeps handling replies, and those would otherwise be wiped afterwards.
    ui.list.deleteAllRows();
    ui.shell.refreshEndpoints();
    const int sent = ui.shell.SendToAll(EncodeSearchRequest());
    SayIfNothingSent(ui, sent);
    // A request that went out nowhere has no replies to sum up: the nothing-sent line says it.
    if (sent == 0)
        ui.state.search.reset();
    ui.shell.refreshMessages();
}

void EndQuietSearch(Ui &ui)
{
    std::optional<SearchSpell> &search = ui.state.search;
    const SteadyTime now = ui.state.clock();
    if (!search || now - search->startedAt < kSearchSpell ||
        now - search->lastReplyAt < kSearchQuiet)
        return;
    if (search->messages != ui.state.messageText.generation()) {
        search.reset(); // another command has the message area now
        return;
    }
    ui.state.messageText.appendLine(SearchSummaryText(search->heard.size()));
    search.reset();
    ui.shell.refreshMessages();
}

void ReportDroppedReplies(Ui &ui, std::uint64_t count)
{
    ui.state.messageText.appendLine(DroppedRepliesText(count));
    ui.shell.refreshMessages();
}

void ShowSearchReply(Ui &ui, ByteView datagram)
{
    const SearchReply reply = DecodeSearchReply(datagram);
    if (ui.state.search) {
        ui.state.search->heard.insert(reply.mac);
        ui.state.search->lastReplyAt = ui.state.clock();
    }
    ui.list.insertRowAtTop(DeviceRow{FormatDottedAddress(reply.ip), kDeviceName,
                                     FormatMacPlain(reply.mac), std::to_string(reply.firmware)});
}

} // namespace ktr
