#pragma once

#include <string>

// Reads a whole file (a JSON text, before it is parsed) into `text` in one piece. False when
// the file cannot be opened or read; `text` then holds what was read, if anything.
bool readWholeFile(const std::string& path, std::string& text);
