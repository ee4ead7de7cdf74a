#include "tools/headless/key_script.h"

#include <charconv>
#include <sstream>

namespace {

std::optional<Key> keyNamed(const std::string& name)
{
    static const std::pair<const char*, Key> names[] = {
        {"LEFT", Key::Left}, {"RIGHT", Key::Right}, {"UP", Key::Up},
        {"DOWN", Key::Down}, {"SPACE", Key::Space}, {"F1", Key::F1},
        {"F2", Key::F2},     {"M", Key::M},         {"H", Key::H}};
    for (const auto& [text, key] : names)
        if (name == text)
            return key;
    return std::nullopt;
}

bool readInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0;
}

} // namespace

std::optional<KeyScript> KeyScript::parse(const std::string& text, std::string& error)
{
    KeyScript script;
    std::istringstream items(text);
    std::string item;
    while (items >> item) {
        const size_t at = item.find('@');
        if (at == std::string::npos) {
            error = "\"" + item + "\" has no @FRAME";
            return std::nullopt;
        }
        const std::optional<Key> key = keyNamed(item.substr(0, at));
        if (!key) {
            error = "unknown key in \"" + item + "\"";
            return std::nullopt;
        }
        const std::string range = item.substr(at + 1);
        const size_t dash = range.find('-');
        Hold hold{*key, 0, 0};
        const bool ok = dash == std::string::npos
                            ? readInt(range, hold.first) && readInt(range, hold.last)
                            : readInt(range.substr(0, dash), hold.first) &&
                                  readInt(range.substr(dash + 1), hold.last);
        if (!ok || hold.last < hold.first) {
            error = "bad frame range in \"" + item + "\"";
            return std::nullopt;
        }
        script.holds_.push_back(hold);
    }
    return script;
}

std::set<Key> KeyScript::keysAt(int frame) const
{
    std::set<Key> keys;
    for (const Hold& hold : holds_)
        if (frame >= hold.first && frame <= hold.last)
            keys.insert(hold.key);
    return keys;
}
