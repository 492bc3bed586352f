#pragma once

#include <QDialog>

#include <string>

class QLabel;

// The About box (dialog 100, "About Harlune"): the program's picture, its version and the
// driver library's version, and an OK button. GUI thread only.
class CAboutDlg : public QDialog
{
public:
    CAboutDlg(const std::string& applicationVersion, const std::string& driverVersion,
              QWidget* parent = nullptr);

    static constexpr unsigned IDD = 100;

    QString programVersionText() const;
    QString driverVersionText() const;

private:
    QLabel* m_programVersion = nullptr;
    QLabel* m_driverVersion = nullptr;
};
