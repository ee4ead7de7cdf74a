// The PNG reader starts COM for the thread only when the thread has none, gives back what it
// started, and works beside COM in either threading model.
#include "render/image_decoders.h"

#include "tests/render/image_test_files.h"
#include "tests/support/capture.h"

#include <windows.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

bool decodes(const std::string& path)
{
    uint16_t width = 0;
    uint16_t height = 0;
    std::unique_ptr<uint8_t[]> pixels(loadPng(path.c_str(), &width, &height));
    return pixels && width == 5 && height == 3;
}

// Runs the body on a fresh thread, so its COM state starts empty.
template <class Body>
void onNewThread(Body body)
{
    std::thread thread(body);
    thread.join();
}

} // namespace

TEST(WicPngReader, LeavesTheThreadsComStateAsItFoundIt)
{
    TempDir dir;
    const std::string path = dir.write("a.png", makeRgbaPng(5, 3));

    onNewThread([&] {
        EXPECT_TRUE(decodes(path));
        EXPECT_TRUE(decodes(path));
        // Nothing left started: the thread may still choose either model.
        const HRESULT start = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(start, S_OK);
        CoUninitialize();
    });

    for (DWORD model : {COINIT_MULTITHREADED, COINIT_APARTMENTTHREADED}) {
        onNewThread([&] {
            ASSERT_EQ(CoInitializeEx(nullptr, model), S_OK);
            EXPECT_TRUE(decodes(path)) << model;
            // Still started, in the caller's model: one more start is S_FALSE, not a change.
            const HRESULT again = CoInitializeEx(nullptr, model);
            EXPECT_EQ(again, S_FALSE) << model;
            CoUninitialize();
            CoUninitialize();
        });
    }
}
