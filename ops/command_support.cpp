// Steps the user's commands share.
#include "ops/command_support.h"

#include "ops/ansi_text.h"
#include "ops/text_convert.h"

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

std::uint16_t ReadLow16(const Page &page, int id)
{
    return static_cast<std::uint16_t>(ReadDecimal(page.text(id)));
}

std::uint8_t ReadLow8(const Page &page, int id)
{
    return static_cast<std::uint8_t>(ReadDecimal(page.text(id)));
}

std::string AnsiText(const Page &page, int id)
{
    return Utf8ToAnsi(page.text(id));
}

void SetNumber(Page &page, int id, std::int64_t value)
{
    page.setText(id, std::to_string(value));
}

} // namespace ktr
