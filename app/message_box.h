#pragma once

// Shows a message box with the caption "An error occurred" and an error icon, and writes
// the same text to standard error (a machine without a display shows no box).
void showErrorBox(const char* text);

// Shows a plain message box with no caption (the display-mode failure), also on stderr.
void showNoticeBox(const char* text);

// The answer to the command line (the usage, the version, a mistake), several lines, where
// the player who asked can see it. Returns false when the stream it belongs on (standard
// error for a mistake, else standard output) leads to a console, a file or a pipe: the caller
// says it there. A Windows program started from a command prompt attaches to the prompt's
// console for it. Where nothing would show it (a Windows program started from its icon or a
// shortcut), shows it in a box with the caption, an error box for a mistake and an
// information box otherwise, and returns true.
bool showAnswerWithoutConsole(const char* caption, const char* text, bool mistake);

// A start-up problem found before any window exists (no data folder): one line on standard
// error, and where a player has no console to see it (Windows, whose program has none; the
// page) also in the error box.
void reportProblemBeforeWindow(const char* text);
