// Before the tests this pins the GL driver's libraries in memory: SDL unloads them when a
// test closes its context, and LeakSanitizer then cannot name the driver's own one-off
// allocations, so its suppressions (scripts/lsan-gl-driver.supp) could not tell them from ours.
#include "tests/support/test_process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void prepareTestProcess()
{
    const char* libraries[] = {
        "libEGL.so.1",      "libEGL_mesa.so.0", "libGLX.so.0",
        "libGLX_mesa.so.0", "libglapi.so.0",    "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
        "libgbm.so.1",
    };
    for (const char* library : libraries)
        dlopen(library, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

int processId()
{
    return static_cast<int>(getpid());
}

int redirectDescriptor(int descriptor, const std::filesystem::path& file)
{
    const int target = open(file.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    const int saved = dup(descriptor);
    dup2(target, descriptor);
    close(target);
    return saved;
}

void restoreDescriptor(int descriptor, int saved)
{
    dup2(saved, descriptor);
    close(saved);
}

bool makeNamedPipe(const std::filesystem::path& path)
{
    return mkfifo(path.c_str(), 0600) == 0;
}

bool releasePipeReader(const std::filesystem::path& path)
{
    // Without a reader a non-blocking open for writing fails (ENXIO).
    const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer < 0)
        return false;
    close(writer);
    return true;
}
