// Search output.
#include "tools/cli/search_report.h"

#include "ops/mac_text.h"
#include "ops/text_convert.h"
#include "tools/cli/text_table.h"

namespace ktr::cli {
std::string SearchTable(const std::vector<FoundDevice> &devices)
{
    std::vector<std::vector<std::string>> rows{{"设备IP", "MAC地址", "固件版本", "接口"}};
    for (const FoundDevice &d : devices) {
        rows.push_back({FormatDottedAddress(d.reply.ip), FormatMacDashed(d.reply.mac),
                        std::to_string(d.reply.firmware), JoinAddresses(d.heardOn, ", ")});
    }
    return FormatTable(rows);
}

nlohmann::ordered_json SearchJson(const std::vector<FoundDevice> &devices, std::uint64_t dropped)
{
    auto list = nlohmann::ordered_json::array();
    for (const FoundDevice &d : devices) {
        auto interfaces = nlohmann::ordered_json::array();
        for (std::uint32_t a : d.heardOn)
            interfaces.push_back(FormatDottedAddress(a));
        list.push_back({{"ip", FormatDottedAddress(d.reply.ip)},
                        {"mac", FormatMacDashed(d.reply.mac)},
                        {"firmware", d.reply.firmware},
                        {"interfaces", interfaces}});
    }
    return {{"devices", list}, {"dropped", dropped}};
}

} // namespace ktr::cli
