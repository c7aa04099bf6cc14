// ktr-cli search.
#include <cstdint>
#include <iostream>

#include "ops/search_reply.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/search_report.h"

namespace ktr::cli {

bool OpenSession(Session &session, const GlobalOptions &global)
{
    const std::string failure = session.open(global.interfaceAddress);
    if (!failure.empty())
        std::cerr << "ktr-cli: " << failure << '\n';
    return failure.empty();
}

int RunSearch(const GlobalOptions &global, const SearchOptions &options)
{
    FrameTrace trace(global.trace ? stderr : nullptr);
    Session session(trace);
    if (!OpenSession(session, global))
        return kExitNetwork;
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
        std::cerr << "ktr-cli: 没有搜索到设备\n";
        return kExitNotFound;
    }
    std::cerr << "搜索到 " << found->size() << " 台设备\n";
    return kExitOk;
}

} // namespace ktr::cli
