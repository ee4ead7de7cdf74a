#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file in the folder and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

// Captures everything written to standard output or standard error (C stdio and
// iostreams alike, at the file-descriptor level) while the object lives.
class CapturedStream {
public:
    enum Which { Out = 1, Err = 2 };
    explicit CapturedStream(Which which);
    ~CapturedStream();
    // Stops capturing (once) and returns what was written.
    std::string text();

private:
    int fd_;
    int saved_ = -1;
    std::filesystem::path file_;
    std::string text_;
    bool done_ = false;
};
