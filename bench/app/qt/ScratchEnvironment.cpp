#include "bench/app/qt/ScratchEnvironment.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace harlune_bench {

int runInScratchEnvironment(int argc, char** argv, const ScratchOptions& options)
{
    namespace fs = std::filesystem;
    std::string pattern = std::string(options.folderPrefix) + "XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = pattern;
    for (const char* sub : {"registry", "config", "runtime", "work"}) {
        std::error_code error;
        fs::create_directories(root / sub, error);
        // Private, as a runtime folder must be for Qt and the automation socket.
        fs::permissions(root / sub, fs::perms::owner_all, fs::perm_options::replace, error);
        if (error) {
            std::fprintf(stderr, "%s: %s\n", (root / sub).c_str(), error.message().c_str());
            return 1;
        }
    }
    setenv("HARLUNE_REGISTRY_DIR", (root / "registry").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("VYKDRV_INI", (root / "VYKDRV.INI").c_str(), 1);
    setenv("HARLUNE_TEST_DIR", (root / "work").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    {
        QApplication application(argc, argv);
        if (options.workIsCurrent)
            QDir::setCurrent(QString::fromStdString((root / "work").string()));
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        if (options.beforeRemoval)
            options.beforeRemoval();
    }
    std::error_code error;
    fs::remove_all(root, error);
    return 0;
}

} // namespace harlune_bench
