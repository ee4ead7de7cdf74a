#pragma once

// The program's one voice on the console. Every line the program says goes through here:
// to standard output (the GL fallback, the version, the binary-mesh notes) or to standard
// error (a damaged or missing file, a failed start-up, a device that is off), one whole line
// at a time, flushed at once so it is seen even if the program ends right after.
//
// A hook replaces the streams: tests install one to record what was said instead of
// capturing file descriptors. Lines may come from any thread (an audio or input backend);
// writing and the hook are serialised.

#include <string_view>

enum class DiagStream { Out, Err };

// Receives each line without its newline. user is the pointer given with the hook.
using DiagHook = void (*)(void* user, DiagStream stream, std::string_view line);

// Says one line on standard output or standard error. line must not hold a newline of its
// own; one is added.
void diagOut(std::string_view line);
void diagErr(std::string_view line);

// The same, formatted as printf formats. A line longer than 1 KiB is cut there.
void diagOutf(const char* format, ...);
void diagErrf(const char* format, ...);

// Says a text of several lines (a usage text, a compiler's log), one line per newline; a
// last line without a newline gets one, and an empty text says nothing.
void diagOutLines(std::string_view text);
void diagErrLines(std::string_view text);

// Sends every line to hook instead of the streams, until it is removed with a null hook.
// Returns the hook that was installed before (with its user pointer in previousUser), so a
// nested recorder can put it back.
DiagHook setDiagHook(DiagHook hook, void* user, void** previousUser = nullptr);
