// ktr-cli search.
#include <cstdint>
#include <iostream>

#include "ops/search_reply.h"
#include "tools/cli/advice.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/search_report.h"

namespace ktr::cli {

Status<int> OpenSession(Session &session, const GlobalOptions &global)
{
    const auto opened = session.open(global.interfaceAddress);
    if (opened)
        return Ok();
    std::cerr << "ktr-cli: " << opened.error() << '\n';
    return Fail(int{kExitNetwork});
}

int RunSearch(const GlobalOptions &global, const SearchOptions &options)
{
    FrameTrace trace(global.trace ? stderr : nullptr);
    Session session(trace);
    if (const auto opened = OpenSession(session, global); !opened)
        return opened.error();
    const auto found = Search(session, options.wait);
    if (!found) {
        std::cerr << "ktr-cli: 搜索请求没有发出\n";
        return kExitNetwork;
    }
    const std::uint64_t dropped = session.droppedReplies();
    if (options.json)
        std::cout << SearchJson(*found, dropped).dump(2) << '\n';
    else if (!found->empty())
        std::cout << SearchTable(*found);
    // The list is what was heard; the user learns that it may be short.
    if (dropped > 0)
        std::cerr << "ktr-cli: " << DroppedRepliesText(dropped) << '\n';
    if (found->empty()) {
        std::cerr << "ktr-cli: " << kNothingFoundText << '\n';
        return kExitNotFound;
    }
    std::cerr << "搜索到 " << found->size() << " 台设备\n";
    return kExitOk;
}

} // namespace ktr::cli
