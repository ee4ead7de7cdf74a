#pragma once

// Shows a message box with the caption "An error occurred" and an error icon, and writes
// the same text to standard error (a machine without a display shows no box).
void showErrorBox(const char* text);

// Shows a plain message box with no caption (the display-mode failure), also on stderr.
void showNoticeBox(const char* text);
