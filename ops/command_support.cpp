// Steps the user's commands share.
#include "ops/command_support.h"

namespace ktr {
namespace {

void ShowProgressLine(Ui &ui, std::string_view line)
{
    ui.state.messageText.clear();
    ui.state.messageText.appendLine(line);
}

} // namespace

void SendWithProgress(Ui &ui, ByteView request, std::string_view progressLine)
{
    ShowProgressLine(ui, progressLine);
    ui.shell.SendToAll(request);
    ui.shell.refreshMessages();
}

void SendThenReport(Ui &ui, ByteView request, std::string_view progressLine)
{
    ui.shell.SendToAll(request);
    ShowProgressLine(ui, progressLine);
    ui.shell.refreshMessages();
}

} // namespace ktr
