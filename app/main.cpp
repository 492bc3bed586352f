// Harlune: the program's entry point.
#include "app/qt/HarluneApp.h"
#include "app/shell/DriverLibrary.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/SessionBusLaunch.h"

#include <QApplication>

#include <clocale>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    platform::qt::skipHopelessSessionBusLaunch();
    QApplication application(argc, argv);
    // Files are written with locale-free conversions; keep the C library's numbers plain too.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Harlune"));
    platform::qt::QtHooks hooks;

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
