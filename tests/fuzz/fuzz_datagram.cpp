// Fuzzes everything a received datagram passes through: classification, the search-reply,
// network-block and tunnel decoders, and the typed-text readers the same bytes could reach.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/frame.h"
#include "ops/ansi_text.h"
#include "ops/device_block.h"
#include "ops/mac_text.h"
#include "ops/network_block.h"
#include "ops/search_reply.h"
#include "ops/text_convert.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void DecodeReply(ktr::ByteView bytes)
{
    using namespace ktr;
    const Datagram d = ClassifyDatagram(bytes);
    switch (d.kind) {
    case DatagramKind::SearchReply: {
        const SearchReply r = DecodeSearchReply(d.payload);
        Check(FormatMacPlain(r.mac).size() == 12);
        break;
    }
    case DatagramKind::NetworkReply: {
        Check(d.payload.size() == kNetworkBlockSize);
        const NetworkBlock block(d.payload.first<kNetworkBlockSize>());
        for (int n = 0; n < kServerCount; ++n)
            Check(AnsiToUtf8(block.server(n).targetAddress()).size() <= 3 * kTargetAddressSize);
        Check(NetworkBlock(block.bytes()) == block);
        break;
    }
    case DatagramKind::TunnelReply: {
        const TunnelCheck check = CheckTunnelFrame(d.payload);
        if (check.function == kTunnelReadBlock) {
            Check(check.body.size() == kDeviceBodySize);
            const DeviceBlock block = DecodeDeviceBody(check.body.first<kDeviceBodySize>());
            const DeviceBody again = EncodeDeviceBody(block);
            Check(std::equal(again.begin(), again.end(), check.body.begin()));
            FormatTemperature(block.tempHigh[0]);
            FormatHumidity(block.humHigh[0]);
        }
        break;
    }
    default:
        Check(d.payload.empty());
        break;
    }
}

void ReadText(std::string_view text)
{
    using namespace ktr;
    ReadDecimal(text);
    ParseDottedAddress(text);
    const std::int16_t t = TemperatureFromText(text);
    Check(t >= -400 && t <= 1200);
    Check(HumidityFromText(text) <= 999);
    if (const auto mac = ParseMacDashed(text))
        Check(ParseMacDashed(FormatMacDashed(*mac)) == mac);
    Utf8ToAnsi(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const ktr::ByteView bytes(data, size);
    DecodeReply(bytes);
    // The tunnel check on its own, as it runs on any bytes from offset 10.
    (void)ktr::CheckTunnelFrame(bytes);
    ReadText(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
