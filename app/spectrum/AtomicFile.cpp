#include "app/spectrum/AtomicFile.h"

namespace app::spectrum {

AtomicFile::AtomicFile(std::string path) : m_file(std::move(path)) {}

bool AtomicFile::open()
{
    if (m_open)
        return false;
    m_open = m_file.open() == 0;
    return m_open;
}

bool AtomicFile::write(std::string_view bytes)
{
    return m_open && m_file.write(bytes) == 0;
}

bool AtomicFile::commit()
{
    if (!m_open)
        return false;
    m_open = false;
    return m_file.commit() == 0;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFile file(path);
    return file.open() && file.write(bytes) && file.commit();
}

} // namespace app::spectrum
