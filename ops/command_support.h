// Steps the user's commands share: the progress line around a request, and page fields read
// and written as numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/frame.h"
#include "ops/commands.h"
#include "ops/ports.h"

namespace ktr {

// The message area shows the command's progress line first, then the request goes out: a reply
// that arrives while a send failure box is open lands under that line. Both return how many
// endpoints the request left through; none adds the nothing-sent line.
int SendWithProgress(Ui &ui, ByteView request, std::string_view progressLine);
// The writes send first and report afterwards.
int SendThenReport(Ui &ui, ByteView request, std::string_view progressLine);
// Adds the nothing-sent line when a request left through no endpoint.
void SayIfNothingSent(Ui &ui, int sent);

// A numeric field typed on a page, cut to the record field's width.
std::uint16_t ReadLow16(const Page &page, int id);
std::uint8_t ReadLow8(const Page &page, int id);

// A field's text as the device stores it (code page 936 bytes), for the conversions that look
// at every byte and for the length rules counted in those bytes.
std::string AnsiText(const Page &page, int id);

// Decimal text, as the pages show numbers.
void SetNumber(Page &page, int id, std::int64_t value);

} // namespace ktr
