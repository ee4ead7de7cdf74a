#include "settings/settings_keeper.h"

#include "diag/diagnostics.h"

#include <utility>

SettingsKeeper::SettingsKeeper(std::unique_ptr<SettingsStore> store) : store_(std::move(store)) { }

const PlayerSettings& SettingsKeeper::load()
{
    if (loaded_ || store_ == nullptr) {
        loaded_ = true;
        return stored_;
    }
    loaded_ = true;
    std::string text;
    std::string problem;
    switch (store_->read(text, problem)) {
    case SettingsStore::Found::Nothing: break;
    case SettingsStore::Found::Unreadable:
        damaged_ = true;
        diagErr("Could not read the settings \"" + store_->name() + "\": " + problem +
                "; playing with the default settings");
        break;
    case SettingsStore::Found::Record: {
        SettingsReading reading = readSettingsText(text);
        stored_ = reading.settings;
        if (!reading.problem.empty()) {
            damaged_ = true;
            diagErr("Could not read the settings \"" + store_->name() + "\": " + reading.problem);
        }
        break;
    }
    }
    written_ = stored_;
    return stored_;
}

PlayerSettings SettingsKeeper::forRun(bool muteOption, bool fullScreenOption)
{
    PlayerSettings run = load();
    run.muted = run.muted || muteOption;
    run.fullScreen = run.fullScreen || fullScreenOption;
    return run;
}

void SettingsKeeper::start(const PlayerSettings& inForce)
{
    load();
    inForce_ = inForce;
    started_ = true;
}

void SettingsKeeper::follow(const PlayerSettings& inForce)
{
    if (!started_ || store_ == nullptr)
        return;
    if (inForce.muted != inForce_.muted)
        stored_.muted = inForce.muted;
    if (inForce.displayShown != inForce_.displayShown)
        stored_.displayShown = inForce.displayShown;
    if (inForce.fullScreen != inForce_.fullScreen)
        stored_.fullScreen = inForce.fullScreen;
    inForce_ = inForce;
    if (stored_ != written_)
        save();
}

void SettingsKeeper::save()
{
    written_ = stored_;
    std::string problem;
    bool written = true;
    if (damaged_) {
        bool moved = false;
        written = store_->keepAside(moved, problem);
        if (written) {
            damaged_ = false;
            if (moved)
                diagErr("Kept the settings that could not be read as \"" + store_->asideName() +
                        "\"");
        }
    }
    written = written && store_->write(settingsText(stored_), problem);
    if (!written && !saveFailed_) {
        saveFailed_ = true;
        diagErr("Could not save the settings \"" + store_->name() + "\": " + problem +
                "; the game plays on without keeping its choices");
    }
}
