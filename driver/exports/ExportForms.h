#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace driver::exports {

// One secondary export form and the plain export it calls ("" for none).
struct ExportForm
{
    std::string name;
    std::string target;
};

// The `_stdcall` twins (decorated ones under their Linux spelling) with their plain
// exports, generated from the row table.
std::vector<ExportForm> twinForms();
// The `_LVD` wrappers with the exports they call.
std::vector<ExportForm> lvdForms();
// The plain exports that have no twin.
std::vector<std::string> plainWithoutTwin();

// The counts of the library's complete export set.
inline constexpr std::size_t kLibraryPlainExports = 562;
inline constexpr std::size_t kLibraryTwins = 527;
inline constexpr std::size_t kLibraryLvdWrappers = 103;

} // namespace driver::exports
