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

// Makes a named pipe (FIFO) at path; false where the file system holds none (Windows).
bool makeNamedPipe(const std::filesystem::path& path);
// Opens the named pipe's writing end and closes it again, which lets a reader waiting in its
// open go on and find the end; true when a reader had the pipe open.
bool releasePipeReader(const std::filesystem::path& path);
