#pragma once

#include <filesystem>

// Assets load from "data/" under the working directory. When that folder is missing there,
// changes to the folder of the executable if "data/" stands beside it, so the game finds its
// assets wherever it is started from. Returns false when neither place has "data/".
bool useDataDirectory();

// The folder that holds the running executable, from the platform backend; empty when the
// platform cannot tell.
std::filesystem::path executableDirectory();
