#include "toolkit/widgets/COXCoolToolBar.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/MdiFrame.h"
#include "platform/framework/Resources.h"
#include "platform/win/AppProfile.h"
#include "toolkit/widgets/BitmapLoader.h"

#include <QAction>
#include <QMainWindow>

#include <string>

namespace profile = platform::win::app_profile;
using platform::framework::CommandTarget;
using platform::framework::ToolBarResource;

namespace {

// The bar's section of the application's profile: one sub-key per section and bar name.
std::string stateSection(const char* section, const char* name)
{
    return std::string(section ? section : "") + "\\" + (name ? name : "");
}

// The command ids of a bar's buttons, separators as 0: "16000,0,57650".
std::string buttonList(const ToolBarResource& resource)
{
    std::string text;
    for (unsigned id : resource.buttons) {
        if (!text.empty())
            text += ',';
        text += std::to_string(id);
    }
    return text;
}

} // namespace

std::string COXCoolToolBar::profileKey()
{
    return profile::registryKey();
}

COXCoolToolBar::COXCoolToolBar(const ToolBarResource& resource,
                               std::function<CommandTarget*()> route, QWidget* parent)
    : ToolBar(resource, route, parent), m_route(std::move(route))
{
    // One record per action of the bar, in order; the image index counts buttons only.
    int32_t image = 0;
    for (QAction* action : actions()) {
        ButtonRecord record;
        if (action->isSeparator()) {
            record.style = TBSTYLE_SEP;
            record.image = kSeparatorWidth;
        } else {
            record.commandId = action->data().toUInt();
            record.image = image++;
        }
        m_records.push_back(record);
    }
}

QImage COXCoolToolBar::LoadBitmap(unsigned resourceId)
{
    const auto found = m_bitmaps.find(resourceId);
    if (found != m_bitmaps.end())
        return found->second;
    QImage image = toolkit::widgets::loadBitmapResource(resourceId);
    m_bitmaps.emplace(resourceId, image);
    return image;
}

uint8_t COXCoolToolBar::enabledState(uint8_t state, bool on)
{
    state = static_cast<uint8_t>(state & ~TBSTATE_ENABLED);
    return on ? static_cast<uint8_t>(state | TBSTATE_ENABLED) : state;
}

uint8_t COXCoolToolBar::checkedState(uint8_t state, int check)
{
    state = static_cast<uint8_t>(state & ~(TBSTATE_CHECKED | TBSTATE_INDETERMINATE));
    if (check == 1)
        state |= TBSTATE_CHECKED;
    else if (check == 2)
        state |= TBSTATE_INDETERMINATE;
    return state;
}

const COXCoolToolBar::ButtonRecord* COXCoolToolBar::GetButton(int index) const
{
    if (index < 0 || index >= GetButtonCount())
        return nullptr;
    return &m_records[static_cast<std::size_t>(index)];
}

QAction* COXCoolToolBar::actionAt(int index) const
{
    const QList<QAction*> all = actions();
    return index >= 0 && index < all.size() ? all[index] : nullptr;
}

void COXCoolToolBar::setState(int index, uint8_t state)
{
    m_records[static_cast<std::size_t>(index)].state = state;
    ++m_stateWrites;
    QAction* action = actionAt(index);
    if (!action)
        return;
    // The action shows the state byte; a check needs a checkable action to be drawn, which is
    // drawing only: the record's style stays as it is.
    action->setEnabled((state & TBSTATE_ENABLED) != 0);
    const bool checked = (state & TBSTATE_CHECKED) != 0;
    if (checked && !action->isCheckable())
        action->setCheckable(true);
    if (action->isCheckable())
        action->setChecked(checked);
    action->setVisible((state & TBSTATE_HIDDEN) == 0);
}

bool COXCoolToolBar::EnableButton(int index, bool on)
{
    const ButtonRecord* record = GetButton(index);
    if (!record)
        return false;
    const uint8_t state = enabledState(record->state, on);
    if (state == record->state)
        return false;
    setState(index, state);
    return true;
}

bool COXCoolToolBar::SetButtonCheck(int index, int check)
{
    const ButtonRecord* record = GetButton(index);
    if (!record)
        return false;
    const uint8_t state = checkedState(record->state, check);
    if (state == record->state)
        return false;
    setState(index, state);
    return true;
}

void COXCoolToolBar::SetMenuSource(std::function<platform::framework::HMENU()> source)
{
    m_menuSource = std::move(source);
}

platform::framework::HMENU COXCoolToolBar::mainMenu() const
{
    if (m_menuSource)
        return m_menuSource();
    if (const auto* frame = dynamic_cast<const platform::framework::MdiFrame*>(window()))
        return frame->currentMenu();
    return 0;
}

void COXCoolToolBar::showText(int index)
{
    if (QAction* action = actionAt(index))
        action->setIconText(
            QString::fromStdString(m_records[static_cast<std::size_t>(index)].text));
}

void COXCoolToolBar::SetButtonsText(unsigned firstId, unsigned lastId, int textType)
{
    if (textType < 0 || textType > 4)
        textType = 4;
    m_textType = textType;
    if (textType == 3)
        return;
    const auto& resources = platform::framework::Resources::instance();
    const platform::framework::HMENU menu = textType == 2 ? mainMenu() : 0;
    for (int i = 0; i < GetButtonCount(); ++i) {
        ButtonRecord& record = m_records[static_cast<std::size_t>(i)];
        if ((record.style & TBSTYLE_SEP) != 0 || record.commandId < firstId ||
            record.commandId > lastId)
            continue;
        std::string text;
        if (textType == 0) {
            text = resources.statusPrompt(record.commandId);
        } else if (textType == 1) {
            text = resources.toolTip(record.commandId);
        } else if (textType == 2 && menu != 0) {
            namespace fw = platform::framework;
            if (const auto item = fw::GetMenuString(menu, record.commandId, fw::MF_BYCOMMAND)) {
                text = item->substr(0, 256);
                text = text.substr(0, text.find('\t'));
            }
        }
        record.text = text;
        showText(i);
    }
    bool anyText = false;
    for (const ButtonRecord& record : m_records)
        anyText = anyText || !record.text.empty();
    setToolButtonStyle(anyText ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

std::string COXCoolToolBar::GetButtonTipText(int index) const
{
    const ButtonRecord* record = GetButton(index);
    if (!record || record->commandId == 0)
        return {};
    const std::string tip = platform::framework::Resources::instance().toolTip(record->commandId);
    // At most 255 characters, cut on a character boundary.
    return QString::fromStdString(tip).left(255).toStdString();
}

void COXCoolToolBar::OnUpdateCmdUI()
{
    CommandTarget* target = m_route ? m_route() : nullptr;
    if (!target)
        return;
    for (int i = 0; i < GetButtonCount(); ++i) {
        const ButtonRecord& record = m_records[static_cast<std::size_t>(i)];
        if ((record.style & TBSTYLE_SEP) != 0)
            continue;
        const auto state = platform::framework::queryCommandState(*target, record.commandId);
        EnableButton(i, state.enabled);
        if (state.check)
            SetButtonCheck(i, *state.check);
    }
}

intptr_t COXCoolToolBar::OnWindowMessage(unsigned message, uintptr_t, intptr_t, bool& handled)
{
    handled = message == platform::framework::WM_IDLEUPDATECMDUI;
    if (handled && !isHidden())
        OnUpdateCmdUI();
    return 0;
}

COXCoolToolBar* COXCoolToolBar::Create(QMainWindow* parent, uint32_t style, unsigned id,
                                       std::function<CommandTarget*()> route)
{
    const ToolBarResource* resource = platform::framework::Resources::instance().toolBar(id);
    if (!resource || !parent)
        return nullptr;
    auto* bar = new COXCoolToolBar(*resource, std::move(route), parent);
    bar->setBitmap(bar->LoadBitmap(id), QSize(16, 15));
    bar->setFloatable(true);
    bar->setMovable(true);
    parent->addToolBar(Qt::TopToolBarArea, bar);
    bar->setVisible((style & WS_VISIBLE) != 0);
    return bar;
}

void COXCoolToolBar::DockBeside(COXCoolToolBar* other)
{
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (!window || !other || other == this || other->parentWidget() != window)
        return;
    const bool shown = !isHidden();
    // This bar goes in front of the other one, then the other one in front of it: both end on
    // the other's row, this one right after it.
    window->insertToolBar(other, this);
    window->insertToolBar(this, other);
    window->removeToolBarBreak(this);
    setVisible(shown);
}

bool COXCoolToolBar::SaveBarState(const char* section, const char* name, bool properties) const
{
    const std::string where = stateSection(section, name);
    bool written = profile::WriteProfileInt(where, "Visible", isHidden() ? 0 : 1);
    if (properties) {
        const ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(barId());
        const std::string buttons = resource ? buttonList(*resource) : std::string();
        written = written && profile::WriteProfileString(where, "Buttons", buttons);
    }
    return written;
}

bool COXCoolToolBar::LoadBarState(const char* section, const char* name, bool properties)
{
    const std::string where = stateSection(section, name);
    const int32_t visible = profile::GetProfileInt(where, "Visible", -1);
    bool fits = visible == 0 || visible == 1;
    if (fits && properties) {
        // The buttons are those of the resource; a state saved for other buttons (an older
        // program) is not applied.
        const ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(barId());
        if (const auto buttons = profile::readString(where, "Buttons"))
            fits = resource && *buttons == buttonList(*resource);
        else if (profile::GetProfileBinary(where, "Buttons"))
            fits = false;
    }
    if (!fits)
        return false;
    setVisible(visible != 0);
    return true;
}
