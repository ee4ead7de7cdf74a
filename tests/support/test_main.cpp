// The main of every test executable. Before the tests it pins the GL driver's libraries in
// memory: SDL unloads them when a test closes its context, and LeakSanitizer then cannot
// name the driver's own one-off allocations, so its suppressions (scripts/lsan-gl-driver.supp)
// could not tell them from ours.
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

void pinGlDriver()
{
    const char* libraries[] = {
        "libEGL.so.1", "libEGL_mesa.so.0", "libGLX.so.0", "libGLX_mesa.so.0", "libglapi.so.0",
        "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libgbm.so.1",
    };
    for (const char* library : libraries)
        dlopen(library, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

} // namespace

int main(int argc, char** argv)
{
    pinGlDriver();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
