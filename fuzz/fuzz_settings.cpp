// Fuzzes the settings reader through the file store and the keeper, as the game reads the
// record at start: any bytes give settings and at most one line of report, and the record
// the game would write for those settings reads back as them, with nothing to report.

#include "fuzz/fuzz_input.h"
#include "diag/diagnostics.h"
#include "settings/settings_file.h"
#include "settings/settings_keeper.h"

#include <string_view>

namespace {

void countLine(void* user, DiagStream, std::string_view line)
{
    if (line.find('\n') != std::string_view::npos)
        __builtin_trap();
    ++*static_cast<int*>(user);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int lines = 0;
    setDiagHook(countLine, &lines);
    SettingsKeeper keeper(std::make_unique<SettingsFile>(fuzz::writeInput(".json", data, size)));
    const PlayerSettings settings = keeper.load();
    setDiagHook(nullptr, nullptr);
    if (lines > 1)
        __builtin_trap();
    const SettingsReading again = readSettingsText(settingsText(settings));
    if (!again.problem.empty() || !(again.settings == settings))
        __builtin_trap();
    return 0;
}
