#include "app/shell/qt/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Each line is "<label>: <version>" in a text of at most 256 characters (255 and the
// terminator).
QString versionLine(const char* label, const std::string& version)
{
    std::string text = std::string(label) + ": " + version;
    if (text.size() > 255) {
        text.resize(255);
        // Never keep half of a UTF-8 character.
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
            text.pop_back();
        if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0)
            text.pop_back();
    }
    return QString::fromStdString(text);
}

} // namespace

CAboutDlg::CAboutDlg(const std::string& applicationVersion, const std::string& driverVersion,
                     QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Harlune"));
    setObjectName(QStringLiteral("AboutHarlune"));

    // The picture: the program's icon, drawn large.
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    m_programVersion = new QLabel(versionLine("Program Version", applicationVersion), this);
    m_driverVersion = new QLabel(versionLine("Driver Version", driverVersion), this);
    m_programVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_driverVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Harlune"), this));
    texts->addWidget(m_programVersion);
    texts->addWidget(m_driverVersion);
    texts->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

QString CAboutDlg::programVersionText() const
{
    return m_programVersion->text();
}

QString CAboutDlg::driverVersionText() const
{
    return m_driverVersion->text();
}
