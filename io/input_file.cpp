#include "io/input_file.h"

#include <climits>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

namespace {

constexpr size_t kReadPieceBytes = 64 * 1024;

} // namespace

InputFile::InputFile(const char* path)
{
    if (!path) {
        problem_ = "cannot open the file";
        return;
    }
    // Only a regular file is opened: opening a named pipe waits for a writer, a device may
    // never end, and a folder opens on some systems. A kind that cannot be told is not opened.
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    if (type == std::filesystem::file_type::directory) {
        problem_ = "cannot read the file: it is a folder";
        return;
    }
    if (type != std::filesystem::file_type::regular) {
        const bool other = !error && type != std::filesystem::file_type::not_found;
        problem_ =
            other ? "cannot read the file: it is not a regular file" : "cannot open the file";
        return;
    }
    file_ = std::fopen(path, "rb");
    if (!file_) {
        problem_ = "cannot open the file";
        return;
    }
    const uintmax_t size = std::filesystem::file_size(path, error);
    size_ = error ? 0 : size;
}

InputFile::~InputFile()
{
    close();
}

InputFile::InputFile(InputFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), size_(std::exchange(other.size_, 0)),
      problem_(std::exchange(other.problem_, "cannot open the file"))
{
}

InputFile& InputFile::operator=(InputFile&& other) noexcept
{
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        size_ = std::exchange(other.size_, 0);
        problem_ = std::exchange(other.problem_, "cannot open the file");
    }
    return *this;
}

void InputFile::close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

bool InputFile::read(void* target, size_t count)
{
    return file_ && std::fread(target, 1, count, file_) == count;
}

bool InputFile::seek(uint64_t offset)
{
    // fseek takes a long, which is 32 bits on Windows.
    if (!file_ || offset > static_cast<uint64_t>(LONG_MAX))
        return false;
    return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
}

bool InputFile::readToEnd(std::string& bytes)
{
    if (!file_)
        return false;
    try {
        // The size is a hint for one allocation; the end of the file decides.
        bytes.reserve(bytes.size() + static_cast<size_t>(size_));
        char piece[kReadPieceBytes];
        size_t got = 0;
        while ((got = std::fread(piece, 1, sizeof piece, file_)) > 0)
            bytes.append(piece, got);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return !std::ferror(file_);
}

bool readWholeFile(const std::string& path, std::string& bytes, std::string* problem)
{
    bytes.clear();
    InputFile file(path);
    if (!file) {
        if (problem)
            *problem = file.problem();
        return false;
    }
    if (!file.readToEnd(bytes)) {
        if (problem)
            *problem = "cannot read the file";
        return false;
    }
    return true;
}
