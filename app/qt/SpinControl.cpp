#include "app/qt/SpinControl.h"

#include "app/shell/NumberText.h"
#include "platform/win/Log.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

SpinControl::SpinControl(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct
    {
        Qt::ArrowType arrow;
        int delta;
    } arrows[] = {{Qt::UpArrow, 1}, {Qt::DownArrow, -1}};
    for (const auto& arrow : arrows) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow.arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, delta = arrow.delta] { step(delta); });
        layout->addWidget(button);
    }
}

void SpinControl::setBuddy(QLineEdit* buddy, bool setBuddyInt)
{
    m_buddy = buddy;
    m_setBuddyInt = setBuddyInt;
}

void SpinControl::SetRange32(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
}

void SpinControl::step(int delta)
{
    try {
        if (m_handler && !m_handler(delta))
            return;
        if (!m_setBuddyInt || m_buddy == nullptr)
            return;
        const long long now = app::text::atoiC(m_buddy->text().toStdString().c_str());
        const long long next = std::clamp<long long>(now + delta, std::min(m_lower, m_upper),
                                                     std::max(m_lower, m_upper));
        m_buddy->setText(QString::number(next));
        if (m_stepped)
            m_stepped();
    } catch (const std::exception& error) {
        // A handler's fault ends the step, never the program.
        platform::win::logError("spincontrol", "step: %s", error.what());
    }
}
