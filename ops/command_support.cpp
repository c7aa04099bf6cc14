// Steps the user's commands share.
#include "ops/command_support.h"

#include "ops/ansi_text.h"
#include "ops/outcomes.h"
#include "ops/text_convert.h"

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

void SayIfNothingSent(Ui &ui, int sent)
{
    if (sent == 0)
        ui.state.messageText.appendLine(kNothingSentLine);
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
