#include "platform/framework/ToolBar.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/Resources.h"

#include <QAction>
#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace platform::framework {

ToolBar::ToolBar(const ToolBarResource& resource, std::function<CommandTarget*()> route,
                 QWidget* parent)
    : QToolBar(QString::fromUtf8(resource.title), parent), m_id(resource.id),
      m_route(std::move(route))
{
    setObjectName(QStringLiteral("id%1").arg(resource.id));
    const Resources& resources = Resources::instance();
    for (unsigned id : resource.buttons) {
        if (id == 0) {
            addSeparator();
            continue;
        }
        QAction* action = addAction(QString::fromStdString(resources.toolTip(id)));
        action->setData(id);
        action->setToolTip(QString::fromStdString(resources.toolTip(id)));
        action->setStatusTip(QString::fromStdString(resources.statusPrompt(id)));
        connect(action, &QAction::triggered, this, [this, id]() {
            if (CommandTarget* target = m_route ? m_route() : nullptr) {
                executeCommand(*target, id);
            }
        });
        m_buttons.push_back(action);
        m_buttonIds.push_back(id);
    }
}

QAction* ToolBar::button(unsigned id) const
{
    for (QAction* action : m_buttons) {
        if (action->data().toUInt() == id) {
            return action;
        }
    }
    return nullptr;
}

namespace {

// One image of a strip with the magenta key made transparent.
QPixmap toolBarStripCell(const QImage& strip, const QRect& cell)
{
    QPixmap image = QPixmap::fromImage(strip.copy(cell));
    image.setMask(image.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
    return image;
}

} // namespace

std::vector<QIcon> ToolBar::stripIcons(const QImage& strip, const QSize& imageSize,
                                       const QImage& highDensityStrip)
{
    std::vector<QIcon> icons;
    if (strip.isNull() || imageSize.isEmpty() || strip.height() < imageSize.height()) {
        return icons;
    }
    const int count = strip.width() / imageSize.width();
    // The high-density strip is used only when it holds every image at twice the size.
    const QSize doubled = imageSize * 2;
    const bool highDensity = !highDensityStrip.isNull() &&
                             highDensityStrip.width() == count * doubled.width() &&
                             highDensityStrip.height() == doubled.height();
    for (int i = 0; i < count; ++i) {
        QIcon icon(toolBarStripCell(strip, QRect(QPoint(i * imageSize.width(), 0), imageSize)));
        if (highDensity) {
            QPixmap doubledImage =
                toolBarStripCell(highDensityStrip, QRect(QPoint(i * doubled.width(), 0), doubled));
            doubledImage.setDevicePixelRatio(2.0);
            icon.addPixmap(doubledImage);
        }
        icons.push_back(std::move(icon));
    }
    return icons;
}

void ToolBar::setBitmap(const QImage& strip, const QSize& imageSize, const QImage& highDensityStrip)
{
    setIcons(stripIcons(strip, imageSize, highDensityStrip));
}

void ToolBar::setIcons(const std::vector<QIcon>& icons)
{
    for (size_t i = 0; i < m_buttons.size() && i < icons.size(); ++i) {
        m_buttons[i]->setIcon(icons[i]);
    }
}

void ToolBar::updateButtons()
{
    CommandTarget* target = m_route ? m_route() : nullptr;
    if (target == nullptr) {
        return;
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        QAction* action = m_buttons[i];
        const CommandState state = queryCommandState(*target, m_buttonIds[i]);
        // Set only what changed: this runs for every button before every scan.
        if (action->isEnabled() != state.enabled) {
            action->setEnabled(state.enabled);
        }
        if (state.check) {
            if (!action->isCheckable()) {
                action->setCheckable(true);
            }
            if (action->isChecked() != (*state.check != 0)) {
                action->setChecked(*state.check != 0);
            }
        }
    }
}

intptr_t ToolBar::OnWindowMessage(unsigned message, uintptr_t, intptr_t, bool& handled)
{
    handled = message == WM_IDLEUPDATECMDUI;
    if (handled && !isHidden()) {
        updateButtons();
    }
    return 0;
}

} // namespace platform::framework
