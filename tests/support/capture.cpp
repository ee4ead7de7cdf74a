#include "tests/support/capture.h"

#include "tests/support/test_process.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

TempDir::TempDir()
{
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("zorbel-test-" + std::to_string(processId()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
}

CapturedStream::CapturedStream(Which which) : fd_(which)
{
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    static int counter = 0;
    file_ = std::filesystem::temp_directory_path() /
            ("zorbel-capture-" + std::to_string(processId()) + "-" + std::to_string(++counter));
    saved_ = redirectDescriptor(fd_, file_);
}

CapturedStream::~CapturedStream()
{
    text();
}

std::string CapturedStream::text()
{
    if (!done_) {
        std::fflush(nullptr);
        std::cout.flush();
        std::cerr.flush();
        restoreDescriptor(fd_, saved_);
        std::ifstream in(file_, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        text_ = content.str();
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
        done_ = true;
    }
    return text_;
}
