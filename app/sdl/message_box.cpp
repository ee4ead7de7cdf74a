#include "app/message_box.h"
#include "diag/diagnostics.h"

#include "diag/diagnostics.h"

#define SDL_MAIN_HANDLED
#include <SDL2/SDL.h>

static void showBox(Uint32 flags, const char* caption, const char* text)
{
    diagErr(text);
    // Without a display (or on the offscreen driver) the box cannot be shown; the line on
    // standard error is then the report.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0))
        return;
    SDL_ShowSimpleMessageBox(flags, caption, text, nullptr);
}

void showErrorBox(const char* text)
{
    showBox(SDL_MESSAGEBOX_ERROR, "An error occurred", text);
}

void showNoticeBox(const char* text)
{
    showBox(SDL_MESSAGEBOX_INFORMATION, "", text);
}

// A Linux program always has its standard streams: a terminal, a file, or the desktop's log.
bool showAnswerWithoutConsole(const char*, const char*, bool)
{
    return false;
}

void reportProblemBeforeWindow(const char* text)
{
    // Started from a desktop menu or a terminal alike, the line on standard error is the
    // report here, and the game ends at once rather than wait for a box to be answered.
    diagErr(text);
}
