// The setting a benchmark of the program runs in: a scratch folder of its own for the settings,
// the registry, the automation socket, "VYKDRV.INI" and the working files, made before the
// benchmarks run and removed after them; offscreen windows unless the caller chose a platform.
#pragma once

#include <string>

namespace harlune_bench {

struct ScratchOptions
{
    // The start of the scratch folder's name; mkdtemp's six X follow it.
    const char* folderPrefix = "/tmp/harlune-bench.";
    // Whether the benchmarks run with the work folder as the current folder (a program started
    // from them inherits it).
    bool workIsCurrent = false;
    // Called after the benchmarks, before the folder is removed: lets go of what the
    // benchmarks keep that writes into the folder as it goes (the driver library writes
    // "VYKDRV.INI" when it is unloaded, and would make the removed folder again).
    void (*beforeRemoval)() = nullptr;
};

// Runs the Google Benchmark command line argc/argv under a QApplication, in a scratch folder
// whose subfolders the environment names: HARLUNE_REGISTRY_DIR ("registry"), XDG_CONFIG_HOME
// ("config"), XDG_RUNTIME_DIR ("runtime"), VYKDRV_INI ("VYKDRV.INI") and HARLUNE_TEST_DIR
// ("work"). A program the benchmarks start inherits all of it. Returns main's exit code.
int runInScratchEnvironment(int argc, char** argv, const ScratchOptions& options = {});

} // namespace harlune_bench
