#include "diag/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex& diagMutex()
{
    static std::mutex mutex;
    return mutex;
}

DiagHook currentHook = nullptr;
void* currentUser = nullptr;

void say(DiagStream stream, std::string_view line)
{
    const std::lock_guard<std::mutex> lock(diagMutex());
    if (currentHook != nullptr) {
        currentHook(currentUser, stream, line);
        return;
    }
    FILE* out = stream == DiagStream::Out ? stdout : stderr;
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void sayFormatted(DiagStream stream, const char* format, va_list arguments)
{
    char text[1024];
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    if (length < 0)
        return;
    const size_t kept =
        static_cast<size_t>(length) < sizeof text ? static_cast<size_t>(length) : sizeof text - 1;
    say(stream, std::string_view(text, kept));
}

void sayLines(DiagStream stream, std::string_view text)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        say(stream, text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

} // namespace

void diagOut(std::string_view line)
{
    say(DiagStream::Out, line);
}

void diagErr(std::string_view line)
{
    say(DiagStream::Err, line);
}

void diagOutf(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    sayFormatted(DiagStream::Out, format, arguments);
    va_end(arguments);
}

void diagErrf(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    sayFormatted(DiagStream::Err, format, arguments);
    va_end(arguments);
}

void diagOutLines(std::string_view text)
{
    sayLines(DiagStream::Out, text);
}

void diagErrLines(std::string_view text)
{
    sayLines(DiagStream::Err, text);
}

DiagHook setDiagHook(DiagHook hook, void* user, void** previousUser)
{
    const std::lock_guard<std::mutex> lock(diagMutex());
    DiagHook previous = currentHook;
    if (previousUser != nullptr)
        *previousUser = currentUser;
    currentHook = hook;
    currentUser = user;
    return previous;
}
