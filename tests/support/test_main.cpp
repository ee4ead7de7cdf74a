// The main of every test executable.
#include "tests/support/test_process.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    prepareTestProcess();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
