#include "platform/portio/PortIo.h"

namespace platform::portio {

std::uint32_t NoPortIo::readPort(int, std::uint32_t, int)
{
    return 0;
}

bool NoPortIo::writePort(int, std::uint32_t, int, std::uint32_t)
{
    return true;
}

std::shared_ptr<PortIo> noPortIo()
{
    static const std::shared_ptr<PortIo> backend = std::make_shared<NoPortIo>();
    return backend;
}

} // namespace platform::portio
