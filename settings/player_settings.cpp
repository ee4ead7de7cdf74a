#include "settings/player_settings.h"

#include "json/json_node.h"

#include <array>

namespace {

struct Member {
    const char* name;
    bool PlayerSettings::*choice;
};

// The record's members, in the order the text lists them.
constexpr std::array<Member, 3> kMembers = {{
    {"mute", &PlayerSettings::muted},
    {"display", &PlayerSettings::displayShown},
    {"fullscreen", &PlayerSettings::fullScreen},
}};

} // namespace

std::string settingsText(const PlayerSettings& settings)
{
    std::string text = "{\n";
    for (size_t i = 0; i < kMembers.size(); ++i) {
        text += std::string("  \"") + kMembers[i].name + "\": ";
        text += settings.*kMembers[i].choice ? "true" : "false";
        text += i + 1 < kMembers.size() ? ",\n" : "\n";
    }
    return text + "}\n";
}

SettingsReading readSettingsText(std::string_view text)
{
    SettingsReading reading;
    if (text.empty()) {
        reading.problem = "it is empty; playing with the default settings";
        return reading;
    }
    // An editor may start a UTF-8 file with a byte order mark, which the reader would stop at.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const JsonNode root = JsonNode::parse(text);
    // An object whose members do not split turns Null once it is first read.
    root.size();
    if (root.type() != JsonType::Object) {
        reading.problem = "not a JSON object; playing with the default settings";
        return reading;
    }
    std::string wrong;
    int wrongCount = 0;
    for (const Member& member : kMembers) {
        const auto found = root.find(member.name);
        if (found == root.cend())
            continue;
        if (found->type() == JsonType::Bool) {
            reading.settings.*member.choice = found->asInt() != 0;
            continue;
        }
        wrong += (wrongCount == 0 ? "\"" : ", \"") + std::string(member.name) + "\"";
        ++wrongCount;
    }
    if (wrongCount > 0)
        reading.problem =
            wrong + (wrongCount == 1 ? " is not true or false; playing with its default"
                                     : " are not true or false; playing with their "
                                       "defaults");
    return reading;
}
