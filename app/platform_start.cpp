#include "app/platform_start.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ktr {
namespace {

QtMessageHandler gPrevious = nullptr;

void WatchStart(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplayText, stderr);
        std::fflush(stderr);
        std::_Exit(kExitNoDisplay);
    }
    // The platform plugins' own words about a missing display are replaced by the one line.
    if (context.category != nullptr && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
    if (gPrevious != nullptr)
        gPrevious(type, context, message);
}

} // namespace

PlatformStartWatch::PlatformStartWatch()
{
    gPrevious = qInstallMessageHandler(WatchStart);
}

PlatformStartWatch::~PlatformStartWatch()
{
    qInstallMessageHandler(gPrevious);
}

} // namespace ktr
