#pragma once

#include <string>
#include <string_view>

// The player's choices the game keeps between runs. Nothing else is kept: the rules and the
// picture never depend on this record.
struct PlayerSettings {
    bool muted = false;        // the sound is muted (M)
    bool displayShown = false; // the score display is shown (H)
    bool fullScreen = false;   // the game plays full screen (F11, the page's control)

    bool operator==(const PlayerSettings&) const = default;
};

// The record as text, one JSON object with a member per choice:
//   {"mute": false, "display": false, "fullscreen": false}
// Members in any order; a missing member keeps its default, and a member the game does not
// know is passed over (a later version may add some).
std::string settingsText(const PlayerSettings& settings);

// What reading a record's text gave: every choice it could read, the defaults for the rest,
// and what was wrong and what the game does instead, as the reason of a one-line report
// (empty when the text was good).
struct SettingsReading {
    PlayerSettings settings;
    std::string problem;
};
SettingsReading readSettingsText(std::string_view text);
