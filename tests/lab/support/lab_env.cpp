// Lab namespace names and the simulator's path from the environment.
#include "tests/lab/support/lab_env.h"

#include <cstdlib>

namespace ktr {

std::string LabNamespace(LabHost host)
{
    const char *prefix = std::getenv("KTR_LAB_NAME");
    std::string name = prefix != nullptr && *prefix != '\0' ? prefix : "ktr";
    switch (host) {
    case LabHost::Pc:
        return name + "-pc";
    case LabHost::Dev:
        return name + "-dev";
    case LabHost::Dev2:
        return name + "-dev2";
    }
    return name;
}

std::string SimBinary()
{
    const char *sim = std::getenv("KTR_SIM");
    return sim != nullptr ? sim : "";
}

} // namespace ktr
