#pragma once

#include <string>
#include <string_view>

namespace app::spectrum {

// A file written whole: the bytes go to a new temporary file in the target's folder, which
// replaces the target by a rename only once every byte is on disk. Until commit succeeds
// the target is untouched; an object destroyed without commit removes its temporary file.
// Any thread; one object per write.
class AtomicFile
{
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false when the folder cannot take it.
    bool open();
    // Appends bytes; false (and the write is abandoned) when they could not be written.
    bool write(std::string_view bytes);
    // Flushes, closes and renames over the target; false leaves the target as it was.
    bool commit();

private:
    void abandon();

    std::string m_path;
    std::string m_temporaryPath;
    int m_fd = -1;
    bool m_failed = false;
};

// Writes bytes to path through an AtomicFile; true when the file was replaced.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace app::spectrum
