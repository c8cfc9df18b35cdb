#include "app/runtime_notice.h"

std::optional<RuntimeNotice> RuntimeNoticeFor(bool objectCreated, bool runtimeModuleFound)
{
    if (objectCreated)
        return std::nullopt;
    if (runtimeModuleFound)
        return RuntimeNotice{"The Flash Player runtime could not be started, so this movie cannot be shown.", 1};
    return RuntimeNotice{"This movie needs the Flash Player runtime (ActiveX), which is not installed on this "
                         "computer.\n\nInstall the Flash Player ActiveX runtime, or ask for a version of this "
                         "program that carries the runtime with it.",
                         0};
}
