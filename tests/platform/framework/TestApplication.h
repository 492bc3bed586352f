#pragma once

#include <QApplication>

// The test program's QApplication, made by TestMain.cpp before the tests run.
inline QApplication& testApplication()
{
    return *static_cast<QApplication*>(QCoreApplication::instance());
}
