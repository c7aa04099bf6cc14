#include "res/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitResFile()
{
    Q_INIT_RESOURCE(res);
}

namespace ktr {

void InitResources()
{
    static const bool registered = (InitResFile(), true);
    (void)registered;
}

} // namespace ktr
