#pragma once

// A private folder for the fuzz targets that read files, made once per run and removed at
// exit, and a replace-by-rename write, so every input is a new file to the readers' caches.

#include <string>
#include <string_view>

namespace fuzz {

// The folder; HARLUNE_REGISTRY_DIR and VYKDRV_INI point into it.
const std::string& scratchFolder();

// Writes bytes to path through a temporary file and a rename.
void replaceFile(const std::string& path, std::string_view bytes);

} // namespace fuzz
