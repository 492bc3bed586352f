// Harlune: the program's entry point. Until the application shell lands this shows an
// empty main window that closes cleanly.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

#include <clocale>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // Files are written with locale-free conversions; keep the C library's numbers plain too.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Harlune"));

    QMainWindow mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Harlune"));
    mainWindow.setCentralWidget(new QMdiArea(&mainWindow));
    mainWindow.resize(1024, 700);
    mainWindow.show();
    return application.exec();
}
