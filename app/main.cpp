// Harlune: the program's entry point.
#include "app/qt/HarluneApp.h"
#include "app/shell/DriverLibrary.h"
#include "platform/qt/QtHooks.h"

#include <QApplication>
#include <QFontDatabase>

#include <clocale>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // Files are written with locale-free conversions; keep the C library's numbers plain too.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Harlune"));
    platform::qt::QtHooks hooks;
    // The font database's first reading of the font configuration takes several milliseconds:
    // on a thread of its own it goes on while the main window is built, which needs it only at
    // its status bar's first text (the database serialises its users). The thread ends before
    // the application object; without one the window reads it itself.
    std::jthread fontDatabaseReader;
    try {
        fontDatabaseReader = std::jthread([] { QFontDatabase::families(); });
    } catch (const std::system_error&) {
    }

    // The driver library is opened at the program's first call into it, so a missing library
    // gives a message instead of a failed start.
    DriverLibrary driver;
    CHarluneApp harlune(driver);
    harlune.setEndHandler([] { QCoreApplication::quit(); });
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!harlune.InitInstance(arguments))
        return 0;
    return application.exec();
}
