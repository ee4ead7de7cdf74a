// Replacing a file whole on POSIX: mkstemp makes the temporary (private to the user), fsync
// puts its bytes on the disk before rename(2) swaps it in, and an fsync of the folder makes
// the rename itself survive a power cut.
#include "settings/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace {

std::string reasonFor(const char* what, const fs::path& path, int error)
{
    return std::string(what) + " \"" + pathText(path) + "\": " + std::strerror(error);
}

bool writeAll(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

bool writeTemporaryFile(const fs::path& beside, std::string_view bytes, fs::path& temporary,
                        std::string& problem)
{
    std::string name = beside.string() + ".XXXXXX";
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        problem = reasonFor("cannot make a file in", beside.parent_path(), errno);
        return false;
    }
    bool written = writeAll(descriptor, bytes) && fsync(descriptor) == 0;
    int error = errno;
    // A file system may report a failed write only when the file is closed.
    if (::close(descriptor) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(name.c_str());
        problem = reasonFor("cannot write", name, error);
        return false;
    }
    temporary = name;
    return true;
}

bool renameOver(const fs::path& from, const fs::path& to, std::string& problem)
{
    if (::rename(from.c_str(), to.c_str()) != 0) {
        problem = reasonFor("cannot rename the file to", to, errno);
        return false;
    }
    // The folder's entry is what the rename changed; without this a power cut may undo it.
    const int folder = ::open(to.parent_path().empty() ? "." : to.parent_path().c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        ::close(folder);
    }
    return true;
}
