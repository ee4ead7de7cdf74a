#pragma once

#include "settings/player_settings.h"
#include "settings/settings_store.h"

#include <memory>

// The player's choices kept between runs: read once at start, written whenever the player
// changes one. The entry function owns it and asks it three things: the stored choices with
// the command line's on top (forRun), the choices in force once the game is up (start), and
// after every pass the choices in force then (follow).
//
// Reports, each a line on standard error said once: a record that cannot be read (the
// defaults stand for what it could not give), the first write that fails (the game plays
// on; the next change tries again, silently), a damaged record moved aside before a new one
// took its place.
class SettingsKeeper {
public:
    // store: where the record lives; null keeps nothing and reads nothing (--no-settings, or
    // a platform without a place for it).
    explicit SettingsKeeper(std::unique_ptr<SettingsStore> store);

    // Reads the record (once; later calls return what the first one read).
    const PlayerSettings& load();
    const PlayerSettings& stored() const { return stored_; }

    // The choices this run starts with: the stored ones, except that an option of the command
    // line (--mute, --fullscreen) turns its choice on for this run without changing what is
    // stored.
    PlayerSettings forRun(bool muteOption, bool fullScreenOption);

    // The choices in force once the game is up (the window may have been refused full
    // screen): later passes are compared with these, so nothing the player did not change
    // is written.
    void start(const PlayerSettings& inForce);

    // After a pass: each choice that differs from the previous pass was changed by the
    // player, and the stored record takes it; the record is written when it then differs
    // from the one written (or tried) last. Nothing happens before start.
    void follow(const PlayerSettings& inForce);

private:
    void save();

    std::unique_ptr<SettingsStore> store_;
    PlayerSettings stored_;
    PlayerSettings written_; // the record the store holds, or the last one tried
    PlayerSettings inForce_;
    bool loaded_ = false;
    bool started_ = false;
    bool damaged_ = false; // what was there could not be read whole: moved aside before a write
    bool saveFailed_ = false;
};
