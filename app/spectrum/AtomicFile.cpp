#include "app/spectrum/AtomicFile.h"

namespace app::spectrum {

AtomicFile::AtomicFile(std::string path) : m_file(std::move(path)) {}

bool AtomicFile::open()
{
    if (m_open)
        return false;
    m_error = m_file.open();
    m_open = m_error == 0;
    return m_open;
}

bool AtomicFile::write(std::string_view bytes)
{
    if (!m_open)
        return false;
    m_error = m_file.write(bytes);
    m_open = m_error == 0;
    return m_open;
}

bool AtomicFile::commit()
{
    if (!m_open)
        return false;
    m_open = false;
    m_error = m_file.commit();
    return m_error == 0;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, int* error)
{
    AtomicFile file(path);
    const bool written = file.open() && file.write(bytes) && file.commit();
    if (error != nullptr)
        *error = written ? 0 : file.error();
    return written;
}

} // namespace app::spectrum
