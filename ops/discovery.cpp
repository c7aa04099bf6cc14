// The search for devices and the rows their answers add to the device list.
#include "ops/commands.h"

#include <string>

#include "ops/command_support.h"
#include "ops/mac_text.h"
#include "ops/search_reply.h"
#include "ops/text_convert.h"

namespace ktr {

void OnSearch(Ui &ui)
{
    ui.state.messageText.clear();
    ui.shell.refreshMessages();
    ui.state.messageText.appendLine("搜索...");
    // The list is emptied before anything can open a failure box: while a box is open the
    // window keeps handling replies, and those would otherwise be wiped afterwards.
    ui.list.deleteAllRows();
    ui.shell.refreshEndpoints();
    SayIfNothingSent(ui, ui.shell.SendToAll(EncodeSearchRequest()));
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
    ui.list.insertRowAtTop(DeviceRow{FormatDottedAddress(reply.ip), kDeviceName,
                                     FormatMacPlain(reply.mac), std::to_string(reply.firmware)});
}

} // namespace ktr
