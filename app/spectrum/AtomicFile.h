#pragma once

#include "platform/win/FileUtil.h"

#include <string>
#include <string_view>

namespace app::spectrum {

// A file written whole: the bytes go to a new temporary file in the target's folder, which
// replaces the target by a rename only once every byte is on disk. Until commit succeeds
// the target is untouched; an object destroyed without commit removes its temporary file.
// A protected target (no owner-write bit) is refused, a symbolic link is written through
// to its file, and the old file's mode is kept (see platform::win::AtomicReplace).
// Any thread; one object per write.
class AtomicFile
{
public:
    explicit AtomicFile(std::string path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false when the target is protected or the folder cannot
    // take it.
    bool open();
    // Appends bytes; false (and the write is abandoned) when they could not be written.
    bool write(std::string_view bytes);
    // Flushes, closes and renames over the target; false leaves the target as it was.
    bool commit();
    // The errno of the step that failed last (EACCES for a protected target), 0 while none
    // did.
    int error() const { return m_error; }

private:
    platform::win::AtomicReplace m_file;
    bool m_open = false;
    int m_error = 0;
};

// Writes bytes to path through an AtomicFile; true when the file was replaced. On failure
// error, when given, receives the errno of the step that failed.
bool writeFileAtomically(const std::string& path, std::string_view bytes, int* error = nullptr);

} // namespace app::spectrum
