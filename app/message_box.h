#pragma once

// Shows a message box with the caption "An error occurred" and an error icon, and writes
// the same text to standard error (a machine without a display shows no box).
void showErrorBox(const char* text);

// Shows a plain message box with no caption (the display-mode failure), also on stderr.
void showNoticeBox(const char* text);

// A start-up problem found before any window exists (no data folder): one line on standard
// error, and where a player has no console to see it (Windows, whose program has none; the
// page) also in the error box.
void reportProblemBeforeWindow(const char* text);
