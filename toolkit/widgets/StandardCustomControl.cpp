#include "toolkit/widgets/StandardCustomControl.h"

#include "toolkit/widgets/COXCoolToolBar.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTextEdit>

QWidget* createStandardControl(const QString& windowClass, unsigned controlId, const QString& text,
                               const QString& extra, QWidget* parent)
{
    QWidget* control = nullptr;
    const QString name = windowClass.toLower();
    if (name == QLatin1String("combobox")) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        control = combo;
    } else if (name == QLatin1String("edit")) {
        control = new QLineEdit(text, parent);
    } else if (name == QLatin1String("richedit")) {
        auto* edit = new QTextEdit(parent);
        edit->setPlainText(text);
        control = edit;
    } else if (name == QLatin1String("static")) {
        control = new QLabel(text, parent);
    } else if (name == QLatin1String("msctls_hotkey32")) {
        control = new QKeySequenceEdit(parent);
    } else if (name == QLatin1String("button")) {
        control = new QPushButton(text, parent);
    } else if (name == QLatin1String("msctls_progress32")) {
        control = new QProgressBar(parent);
    } else if (name == QLatin1String("msctls_trackbar32")) {
        control = new QSlider(Qt::Horizontal, parent);
    } else if (name == QLatin1String("sysdatetimepick32")) {
        auto* edit = new QDateTimeEdit(parent);
        if (!extra.isEmpty())
            edit->setDisplayFormat(extra);
        control = edit;
    } else if (name == QLatin1String("sysipaddress32")) {
        auto* edit = new QLineEdit(parent);
        edit->setInputMask(QStringLiteral("000.000.000.000;_"));
        control = edit;
    }
    if (control)
        control->setObjectName(QStringLiteral("control%1").arg(controlId));
    return control;
}

StandardCustomControl::StandardCustomControl(QString windowClass, QString text, QString extra)
    : m_windowClass(std::move(windowClass)), m_text(std::move(text)), m_extra(std::move(extra))
{}

bool StandardCustomControl::create(unsigned controlId, COXCoolToolBar* bar, uint32_t style,
                                   const QString& extra, const QString& windowClass,
                                   const QString& text)
{
    if (!windowClass.isEmpty())
        m_windowClass = windowClass;
    if (!text.isEmpty())
        m_text = text;
    if (!extra.isEmpty())
        m_extra = extra;
    destroyWindow();
    QWidget* control = createStandardControl(m_windowClass, controlId, m_text, m_extra, bar);
    if (!control)
        return false;
    m_controlId = controlId;
    m_style = style;
    control->setVisible((style & COXCoolToolBar::WS_VISIBLE) != 0);
    m_window = control;
    return true;
}

std::shared_ptr<CustomButtonControl> StandardCustomControl::copyFor(COXCoolToolBar* bar) const
{
    auto copy = std::make_shared<StandardCustomControl>(m_windowClass, m_text, m_extra);
    if (!copy->create(m_controlId, bar, m_style, {}, {}, {}))
        return nullptr;
    copy->setCustomizationMode(m_customizationMode);
    return copy;
}

void StandardCustomControl::destroyWindow()
{
    delete m_window.data();
    m_window = nullptr;
}
