#pragma once

// The one way the program reads its data files (meshes, colliders, shader sources, images,
// sounds).

#include <cstdint>
#include <cstdio>
#include <string>

// A data file open for reading bytes, closed when the object goes. Only a regular file opens:
// a folder, a named pipe or a device standing where a data file belongs is refused before it
// is opened, since opening a pipe waits for a writer (start-up would hang), a device may never
// end, and on some systems a folder opens, reports an absurd size and then fails to read.
// Not copyable; moving leaves the source closed.
class InputFile {
public:
    explicit InputFile(const char* path);
    explicit InputFile(const std::string& path) : InputFile(path.c_str()) { }
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;

    // True when the file is open.
    explicit operator bool() const { return file_ != nullptr; }
    // The open stream, positioned at the start when the file opens; null when not open.
    std::FILE* get() const { return file_; }
    // Why the file is not open, worded as the reason of a one-line report: "cannot open the
    // file" (missing or not allowed) or "cannot read the file: it is a folder" (or "...: it is
    // not a regular file"). Empty when the file is open.
    const char* problem() const { return problem_; }
    // The size the file system gave when the file opened, in bytes; 0 when not open.
    uint64_t size() const { return size_; }

    // Reads exactly `count` bytes into `target`: false when the file ends first or a read fails.
    bool read(void* target, size_t count);
    // Moves to `offset` bytes from the start; false when the position cannot be reached.
    bool seek(uint64_t offset);
    // Appends everything from the current position to the end to `bytes`, read in pieces
    // rather than trusting the size, so a file that changes meanwhile is still read safely.
    // False when a read fails or memory runs out; `bytes` then holds what was read.
    bool readToEnd(std::string& bytes);

private:
    void close();

    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    const char* problem_ = "";
};

// Reads the whole file at `path` into `bytes`, replacing what it held. False when it cannot
// be opened or read, with the reason in *problem when problem is not null ("cannot open the
// file", "cannot read the file: it is a folder", "cannot read the file").
bool readWholeFile(const std::string& path, std::string& bytes, std::string* problem = nullptr);
