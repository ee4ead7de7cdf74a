#pragma once

#include <filesystem>

// What the test helpers need from the operating system, defined in the folder of the
// platform the build is for (tests/support/<platform>/).

// Runs once before the tests of an executable.
void prepareTestProcess();

int processId();

// Sends everything written to the file descriptor into the file (made or emptied, bytes as
// written) and returns a duplicate of its old target for restoreDescriptor.
int redirectDescriptor(int descriptor, const std::filesystem::path& file);
void restoreDescriptor(int descriptor, int saved);
