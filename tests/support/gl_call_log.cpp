#include "tests/support/gl_call_log.h"

#include <cstdio>
#include <type_traits>
#include <utility>

namespace {

std::vector<std::string>* gRecord = nullptr;

template <typename T>
void appendArgument(std::string& line, T value)
{
    line += ' ';
    if constexpr (std::is_same_v<T, const GLchar*>) {
        line += value != nullptr ? value : "(null)";
    } else if constexpr (std::is_floating_point_v<T>) {
        char number[32];
        std::snprintf(number, sizeof number, "%g", static_cast<double>(value));
        line += number;
    } else if constexpr (std::is_integral_v<T>) {
        line += std::to_string(value);
    } else {
        line += '*';
    }
}

template <auto Slot, typename Function>
struct Hook;

template <auto Slot, typename Result, typename... Arguments>
struct Hook<Slot, Result (*)(Arguments...)> {
    static inline Result (*real)(Arguments...) = nullptr;
    static inline const char* name = "";

    static Result call(Arguments... arguments)
    {
        if (gRecord != nullptr) {
            std::string line = name;
            (appendArgument(line, arguments), ...);
            gRecord->push_back(std::move(line));
        }
        return real(arguments...);
    }
};

template <auto Slot>
void install(const char* name)
{
    using Entry = Hook<Slot, std::remove_reference_t<decltype(gl.*Slot)>>;
    if (gl.*Slot == nullptr || gl.*Slot == &Entry::call)
        return;
    Entry::real = gl.*Slot;
    Entry::name = name;
    gl.*Slot = &Entry::call;
}

} // namespace

GlCallLog::GlCallLog() : saved_(gl)
{
#define ZORBEL_GL_HOOK(type, name, used) install<&GlFunctions::name>(#name);
    ZORBEL_GL_FUNCTION_LIST(ZORBEL_GL_HOOK)
#undef ZORBEL_GL_HOOK
    gRecord = &calls_;
}

GlCallLog::~GlCallLog()
{
    gRecord = nullptr;
    gl = saved_;
}

std::vector<std::string> GlCallLog::callsTo(const std::string& name) const
{
    std::vector<std::string> found;
    for (const std::string& call : calls_)
        if (call.compare(0, name.size(), name) == 0 &&
            (call.size() == name.size() || call[name.size()] == ' '))
            found.push_back(call);
    return found;
}
