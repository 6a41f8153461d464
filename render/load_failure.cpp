#include "render/load_failure.h"

#include "d3dx8/d3dx8reason.h"
#include "shell/log.h"

void LogLoadFailed() {
    const char* reason = D3DXGetLastLoadError();
    if (reason && reason[0])
        LogMessage("failed: %.160s.\n", reason);
    else
        LogMessage("failed.\n");
}
