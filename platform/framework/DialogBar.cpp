#include "platform/framework/DialogBar.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/ControlIds.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QRadioButton>

#include <algorithm>

namespace platform::framework {

namespace {

// Holds a bar's panel: as high as the panel wants, as wide as the bar is given, and never
// narrower than a grip's width, so the panel's controls cut off at the right instead of
// widening every window that shows the bar.
// Enables or disables a control unless it already is so by its own state (a disabled parent
// does not count): this runs for every control before every scan.
void setEnabledIfChanged(QWidget* control, bool enabled)
{
    if (control->testAttribute(Qt::WA_ForceDisabled) == enabled) {
        control->setEnabled(enabled);
    }
}

class PanelClip : public QWidget
{
public:
    explicit PanelClip(QWidget* parent) : QWidget(parent)
    {
        m_panel = new QWidget(this);
        m_panel->installEventFilter(this);
    }
    QWidget* panel() const { return m_panel; }

    QSize sizeHint() const override { return panelSize(); }
    QSize minimumSizeHint() const override
    {
        return {std::min(panelSize().width(), kMinimumWidth), panelSize().height()};
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        placePanel();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_panel && event->type() == QEvent::LayoutRequest) {
            updateGeometry();
            placePanel();
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    static constexpr int kMinimumWidth = 24;

    QSize panelSize() const
    {
        return m_panel->sizeHint()
            .expandedTo(m_panel->minimumSizeHint())
            .expandedTo(m_panel->minimumSize())
            .expandedTo(QSize(0, 0));
    }
    void placePanel()
    {
        const QSize wanted = panelSize();
        const int minimumWidth =
            std::max(m_panel->minimumSizeHint().width(), m_panel->minimumSize().width());
        m_panel->setGeometry(0, 0, std::max(width(), minimumWidth),
                             std::max(height(), wanted.height()));
    }

    QWidget* m_panel;
};

} // namespace

DialogBar::DialogBar(unsigned id, const std::string& title, std::function<CommandTarget*()> route,
                     QWidget* parent)
    : QDockWidget(QString::fromStdString(title), parent), m_id(id), m_route(std::move(route))
{
    setObjectName(QStringLiteral("id%1").arg(id));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    auto* clip = new PanelClip(this);
    m_panel = clip->panel();
    m_panel->installEventFilter(this);
    setWidget(clip);
    showGrip(true);
    connect(this, &QDockWidget::topLevelChanged, this,
            [this](bool floating) { showGrip(!floating); });
}

void DialogBar::showGrip(bool docked)
{
    // A docked bar shows a grip at its left (the caption takes a row of its own otherwise);
    // a floating bar its caption.
    setFeatures(docked ? features() | QDockWidget::DockWidgetVerticalTitleBar
                       : features() & ~QDockWidget::DockWidgetVerticalTitleBar);
}

bool DialogBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel &&
        (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved)) {
        m_controlsStale = true;
    }
    return QDockWidget::eventFilter(watched, event);
}

void DialogBar::addControl(QWidget* control, unsigned id)
{
    setControlId(control, id);
    m_controlsStale = true;
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this, [this, id]() {
            if (CommandTarget* target = m_route ? m_route() : nullptr) {
                executeCommand(*target, id);
            }
        });
    }
}

void DialogBar::updateControls()
{
    CommandTarget* target = m_route ? m_route() : nullptr;
    if (target == nullptr) {
        return;
    }
    if (m_controlsStale) {
        m_controls.clear();
        for (QWidget* control : m_panel->findChildren<QWidget*>()) {
            if (const unsigned id = controlId(control); id != 0) {
                m_controls.push_back({control, id, qobject_cast<QAbstractButton*>(control)});
            }
        }
        m_controlsStale = false;
    }
    // By index: an update handler may change the panel (the list is then made again at the
    // next update).
    for (size_t i = 0; i < m_controls.size(); ++i) {
        QWidget* control = m_controls[i].widget.data();
        if (control == nullptr) {
            continue;
        }
        const unsigned id = m_controls[i].id;
        QAbstractButton* button = m_controls[i].button;
        CmdUI ui(id);
        target->OnCmdMsg(id, &ui);
        if (!ui.handled) {
            // Buttons without any handler are disabled; other controls are left alone.
            if (button != nullptr) {
                setEnabledIfChanged(button, target->hasCommandHandler(id));
            }
            continue;
        }
        if (ui.enabled()) {
            setEnabledIfChanged(control, *ui.enabled());
        }
        if (ui.check() && button != nullptr && button->isCheckable()) {
            if (auto* check = qobject_cast<QCheckBox*>(button);
                check != nullptr && *ui.check() == 2) {
                check->setTristate(true);
                check->setCheckState(Qt::PartiallyChecked);
            } else {
                button->setChecked(*ui.check() != 0);
            }
        }
        if (ui.text() && button != nullptr) {
            button->setText(QString::fromStdString(*ui.text()));
        }
    }
}

intptr_t DialogBar::OnWindowMessage(unsigned message, uintptr_t, intptr_t, bool& handled)
{
    handled = message == WM_IDLEUPDATECMDUI;
    if (handled && !isHidden()) {
        updateControls();
    }
    return 0;
}

} // namespace platform::framework
