#pragma once

#include <span>

namespace driver::core {

// Every name the library exports, in one table (a test resolves each one).
std::span<const char* const> exportedNames();

} // namespace driver::core
