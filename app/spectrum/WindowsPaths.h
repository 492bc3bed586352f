#pragma once

#include <string>
#include <string_view>

// Paths as the spectrum window's files store them. Files written on Windows name paths with
// "\\" (and drive letters); files we write use "/". No Qt; any thread.

namespace app::spectrum {

// The file name without its folder: the part after the last "/" or "\\", the whole text when
// there is neither.
std::string pathBaseName(std::string_view path);

// The path cut before the first "." of its file name (the last path component), so that
// dotted folders ("data.old", "./run", "~/.local/...") stay whole; the whole path when the
// name has no dot. A dot that starts the name (a hidden file) is part of the name.
std::string cutBeforeFirstDotInName(std::string_view path);

// The extension of a path's file name (after its last "."), empty when it has none.
std::string fileExtension(std::string_view path);

// Finds the file a stored path names: the path as stored when it exists, else with "\\"
// read as "/", else the file of the same base name in the folder of namingFile (the file
// that stored the path; empty when there is none). When none exists the stored path is
// returned unchanged, so that opening it fails as the missing file it is.
std::string resolveStoredPath(const std::string& stored, const std::string& namingFile);

// The longest prefix of text of at most maxBytes bytes that does not split a UTF-8 character.
std::string cutAtCharacterBoundary(std::string_view text, std::size_t maxBytes);

} // namespace app::spectrum
