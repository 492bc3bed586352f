#include "toolkit/widgets/COXCoolToolBar.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/MdiFrame.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "platform/win/AppProfile.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/SystemColors.h"
#include "toolkit/widgets/ToolBarStateCodec.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>

#include <optional>
#include <span>
#include <string>
#include <utility>

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
    m_defaultTextColor = toolkit::widgets::GetSysColor(toolkit::widgets::COLOR_BTNTEXT);
    m_hotTextColor = m_defaultTextColor;
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
    watchButtons();
}

void COXCoolToolBar::watchButtons()
{
    for (QAction* action : actions())
        if (QWidget* widget = widgetForAction(action))
            widget->installEventFilter(this); // installing twice keeps one filter
}

int COXCoolToolBar::indexOfWidget(QObject* widget) const
{
    const QList<QAction*> all = actions();
    for (int i = 0; i < all.size(); ++i)
        if (widgetForAction(all[i]) == widget)
            return i;
    return -1;
}

bool COXCoolToolBar::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_customizationMode || !IsCustomizable(true))
        return ToolBar::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // The click selects; it never runs the command.
        SelectButton(indexOfWidget(watched));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && m_selectedButton >= 0)
            OnContextMenu(m_selectedButton, mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
        return true;
    default:
        return ToolBar::eventFilter(watched, event);
    }
}

intptr_t COXCoolToolBar::notifyOwner(unsigned event, intptr_t extra)
{
    return m_notify ? m_notify(event, extra) : 0;
}

bool COXCoolToolBar::InsertButton(int index, const ButtonRecord& record)
{
    if (index < 0 || index > GetButtonCount())
        return false;
    QAction* action = nullptr;
    if ((record.style & TBSTYLE_SEP) != 0) {
        action = new QAction(this);
        action->setSeparator(true);
    } else {
        // A button of a command the bar knows comes back with its own action; others run their
        // command like the bar's buttons.
        action = button(record.commandId);
        if (!action || actions().contains(action)) {
            action = new QAction(
                QString::fromStdString(
                    platform::framework::Resources::instance().toolTip(record.commandId)),
                this);
            action->setData(record.commandId);
            const unsigned id = record.commandId;
            connect(action, &QAction::triggered, this, [this, id]() {
                if (CommandTarget* target = m_route ? m_route() : nullptr)
                    platform::framework::executeCommand(*target, id);
            });
        }
    }
    insertAction(actionAt(index), action);
    m_records.insert(m_records.begin() + index, record);
    if (m_selectedButton >= index)
        ++m_selectedButton;
    if (m_insertionIndex >= index)
        ++m_insertionIndex;
    showText(index);
    watchButtons();
    return true;
}

bool COXCoolToolBar::DeleteButton(int index)
{
    QAction* action = actionAt(index);
    if (!action || index >= GetButtonCount())
        return false;
    // The action stays with the bar (the framework's tool bar keeps its buttons' actions).
    removeAction(action);
    m_records.erase(m_records.begin() + index);
    if (m_selectedButton == index)
        m_selectedButton = -1;
    else if (m_selectedButton > index)
        --m_selectedButton;
    if (m_insertionIndex > index)
        --m_insertionIndex;
    return true;
}

bool COXCoolToolBar::MoveButton(int from, int to)
{
    if (from < 0 || to < 0 || from >= GetButtonCount() || to >= GetButtonCount())
        return false;
    if (from == to)
        return true;
    QAction* action = actionAt(from);
    const ButtonRecord record = m_records[static_cast<std::size_t>(from)];
    removeAction(action);
    m_records.erase(m_records.begin() + from);
    insertAction(actionAt(to), action);
    m_records.insert(m_records.begin() + to, record);
    auto follow = [from, to](int& index) {
        if (index == from)
            index = to;
        else if (from < index && index <= to)
            --index;
        else if (to <= index && index < from)
            ++index;
    };
    follow(m_selectedButton);
    follow(m_insertionIndex);
    watchButtons();
    return true;
}

void COXCoolToolBar::SetCustomizationMode(bool on, Notify notify)
{
    if (on && !IsCustomizable(true))
        SetCustomizable(true, true);
    if (!on)
        SelectButton(-1);
    m_customizationMode = on;
    m_notify = std::move(notify);
}

int COXCoolToolBar::SelectButton(int index)
{
    if (index < -1 || index >= GetButtonCount())
        index = -1;
    const int previous = m_selectedButton;
    if (index == previous)
        return previous;
    m_selectedButton = index;
    if (index >= 0) {
        const uint8_t state = m_records[static_cast<std::size_t>(index)].state;
        if ((state & TBSTATE_PRESSED) != 0)
            setState(index, static_cast<uint8_t>(state & ~TBSTATE_PRESSED));
    }
    update();
    notifyOwner(kSelectionChanged, 0);
    return previous;
}

std::vector<COXCoolToolBar::MenuItem> COXCoolToolBar::contextMenuItems(int index) const
{
    const ButtonRecord* record = GetButton(index);
    if (!record)
        return {};
    auto isSeparator = [this](int i) {
        const ButtonRecord* r = GetButton(i);
        return r && (r->style & TBSTYLE_SEP) != 0;
    };
    const bool plainButton = (record->style & TBSTYLE_SEP) == 0;
    const bool hasText = !record->text.empty();
    return {
        {ID_DELETE_BUTTON, true, false},
        {0, true, false},
        {ID_CUSTOMIZE_BUTTON, true, false},
        {ID_HIDE_TEXT, plainButton, plainButton && !hasText},
        {ID_SHOW_TEXT, plainButton, plainButton && hasText && record->image != -1},
        {0, true, false},
        {ID_SEPARATOR_BEFORE, index > 0 && !isSeparator(index - 1), false},
        {ID_SEPARATOR_AFTER, index < GetButtonCount() - 1 && !isSeparator(index + 1), false},
    };
}

void COXCoolToolBar::carryOutMenuCommand(int index, unsigned command)
{
    if (!GetButton(index) || notifyOwner(command, 0) != 0)
        return;
    ButtonRecord& record = m_records[static_cast<std::size_t>(index)];
    ButtonRecord separator;
    separator.style = TBSTYLE_SEP;
    separator.image = -1;
    separator.state = 0;
    switch (command) {
    case ID_DELETE_BUTTON:
        DeleteButton(index);
        break;
    case ID_HIDE_TEXT:
        if (!record.text.empty()) {
            m_hiddenTexts[record.commandId] = record.text;
            record.text.clear();
            showText(index);
            applyTextStyle();
        }
        break;
    case ID_SHOW_TEXT:
        if (record.text.empty()) {
            std::string text = hiddenText(record.commandId);
            if (text.empty())
                text = platform::framework::Resources::instance().toolTip(record.commandId);
            if (!text.empty()) {
                record.text = text;
                showText(index);
                applyTextStyle();
            }
        }
        break;
    case ID_SEPARATOR_BEFORE:
        InsertButton(index, separator);
        break;
    case ID_SEPARATOR_AFTER:
        InsertButton(index + 1, separator);
        break;
    default:
        break;
    }
}

void COXCoolToolBar::OnContextMenu(int index, const QPoint& globalPos)
{
    namespace fw = platform::framework;
    const std::vector<MenuItem> items = contextMenuItems(index);
    if (items.empty())
        return;
    // Texts of the string table, with our own where the table has none.
    const std::pair<unsigned, const char*> texts[] = {
        {26585, "Delete"},         {26586, "Customize..."},     {26587, "Image Only"},
        {26588, "Image and Text"}, {26589, "Separator Before"}, {26590, "Separator After"}};
    const fw::HMENU menu = fw::CreatePopupMenu();
    for (const MenuItem& item : items) {
        if (item.command == 0) {
            fw::AppendMenu(menu, fw::MF_SEPARATOR, 0, "");
            continue;
        }
        const auto& [stringId, fallback] = texts[item.command - ID_DELETE_BUTTON];
        const std::string text = fw::Resources::instance().LoadString(stringId).value_or(fallback);
        fw::AppendMenu(menu,
                       fw::MF_STRING | (item.enabled ? 0u : fw::MF_GRAYED) |
                           (item.checked ? fw::MF_CHECKED : 0u),
                       item.command, text);
    }
    const unsigned chosen = fw::MenuRenderer::trackPopupMenu(menu, globalPos, nullptr, this);
    fw::DestroyMenu(menu);
    if (chosen != 0)
        carryOutMenuCommand(index, chosen);
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
    applyTextStyle();
}

void COXCoolToolBar::applyTextStyle()
{
    bool anyText = false;
    for (const ButtonRecord& record : m_records)
        anyText = anyText || !record.text.empty();
    if (!anyText)
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    else
        setToolButtonStyle(m_list ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonTextUnderIcon);
}

void COXCoolToolBar::SetList(bool list)
{
    m_list = list;
    applyTextStyle();
}

void COXCoolToolBar::SetIndent(int indent)
{
    if (indent >= 0)
        m_indent = indent;
}

void COXCoolToolBar::SetButtonsMinMaxWidth(int minWidth, int maxWidth)
{
    m_minButtonsWidth = minWidth;
    m_maxButtonsWidth = maxWidth;
}

void COXCoolToolBar::SetCustomizable(bool customizable, bool advanced)
{
    if (m_customizationTable.empty()) {
        m_adjustable = false;
        m_advancedCustomizable = false;
        return;
    }
    m_adjustable = customizable && !advanced;
    m_advancedCustomizable = !m_adjustable && customizable && advanced;
}

bool COXCoolToolBar::IsCustomizable(bool advanced) const
{
    return advanced ? m_advancedCustomizable : m_adjustable;
}

void COXCoolToolBar::SetCustomizationTable(const unsigned* ids, int count)
{
    m_customizationTable.clear();
    if (ids && count > 0)
        m_customizationTable.assign(ids, ids + count);
    SetCustomizable(true, true);
}

std::optional<COXCoolToolBar::ButtonInfo>
COXCoolToolBar::OnGetButtonInfo(int index, std::size_t bufferSize) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_customizationTable.size())
        return std::nullopt;
    ButtonInfo info;
    info.image = index;
    info.commandId = m_customizationTable[static_cast<std::size_t>(index)];
    if (bufferSize > 0) {
        // Cut on a character boundary within the buffer, its terminator included.
        const QByteArray tip = QByteArray::fromStdString(
            platform::framework::Resources::instance().toolTip(info.commandId));
        QByteArray cut = tip.left(static_cast<qsizetype>(bufferSize - 1));
        while (!cut.isEmpty() && QString::fromUtf8(cut).toUtf8() != cut)
            cut.chop(1);
        info.text = cut.toStdString();
    }
    return info;
}

std::string COXCoolToolBar::hiddenText(uint32_t commandId) const
{
    const auto found = m_hiddenTexts.find(commandId);
    return found == m_hiddenTexts.end() ? std::string() : found->second;
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
    // The controls are the new ones: flat, drop-down arrows on.
    bar->m_flat = true;
    bar->m_dropDownArrow = true;
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

namespace {

namespace barstate = toolkit::widgets::barstate;

// Set once this run wrote, or read, the registrations of the custom buttons.
bool g_customSettingsWritten = false;
bool g_customSettingsRead = false;

bool writeBinary(const std::string& section, const std::string& entry,
                 const std::vector<uint8_t>& bytes)
{
    return profile::WriteProfileBinary(section, entry, bytes) &&
           profile::WriteProfileInt(section, entry + "_Size", static_cast<int32_t>(bytes.size()));
}

// A binary value and its declared size, or nothing when the "_Size" is missing.
std::optional<std::pair<std::vector<uint8_t>, int64_t>> readBinary(const std::string& section,
                                                                   const std::string& entry)
{
    // -1 never stands for a length: the value is taken as missing.
    const int32_t size = profile::GetProfileInt(section, entry + "_Size", -1);
    if (size < 0)
        return std::nullopt;
    auto bytes = profile::GetProfileBinary(section, entry);
    if (!bytes)
        return std::nullopt;
    return std::make_pair(std::move(*bytes), static_cast<int64_t>(size));
}

// The properties and their section.
constexpr const char* kCustomSettings = "Toolbars_CustomButtonsSettings";

} // namespace

void COXCoolToolBar::resetRunFlags()
{
    g_customSettingsWritten = false;
    g_customSettingsRead = false;
}

bool COXCoolToolBar::SaveBarState(const char* section, const char* name, bool properties) const
{
    const std::string sectionName = section ? section : "";
    const std::string barName = name ? name : "";
    const std::string where = stateSection(section, name);
    bool written = profile::WriteProfileInt(where, "Visible", isHidden() ? 0 : 1);
    if (properties) {
        const ToolBarResource* resource =
            platform::framework::Resources::instance().toolBar(barId());
        const std::string buttons = resource ? buttonList(*resource) : std::string();
        written = written && profile::WriteProfileString(where, "Buttons", buttons);
    }

    if (IsCustomizable(true) || IsCustomizable(false)) {
        std::vector<barstate::ButtonSetting> settings;
        std::vector<uint8_t> order;
        barstate::putU32(order, static_cast<uint32_t>(m_records.size()));
        for (const ButtonRecord& record : m_records) {
            barstate::ButtonSetting setting;
            setting.commandId = record.commandId;
            setting.image = record.image;
            setting.style = record.style;
            setting.textShown = !record.text.empty();
            setting.text = setting.textShown ? record.text : hiddenText(record.commandId);
            settings.push_back(std::move(setting));
            barstate::putU32(order, record.commandId);
        }
        written = writeBinary(sectionName, barName + "_ButtonsSettings",
                              barstate::encodeButtonsSettings(settings)) &&
                  written;
        // The bar holds no custom buttons yet: an empty table.
        written = writeBinary(sectionName, barName + "_CustomButtonsPositions",
                              barstate::encodePositions({})) &&
                  written;
        // The button order: a count and the command ids in bar order (u32 little-endian each).
        written = profile::WriteProfileBinary(sectionName, barName, order) && written;
    }

    if (!g_customSettingsWritten) {
        written =
            writeBinary(sectionName, kCustomSettings, barstate::encodeCustomButtonsSettings({})) &&
            written;
        g_customSettingsWritten = true;
    }

    if (properties) {
        const std::string props = sectionName + "_" + barName;
        const std::pair<const char*, int32_t> values[] = {
            {"Customizable", IsCustomizable(true) ? 1 : 0},
            {"Cool", m_cool ? 1 : 0},
            {"Gripper", m_gripper ? 1 : 0},
            {"Separator", m_separatorDrawn ? 1 : 0},
            {"Flat", m_flat ? 1 : 0},
            {"List", m_list ? 1 : 0},
            {"DropDownArrow", m_dropDownArrow ? 1 : 0},
            {"Indent", m_indent},
            {"DefaultTextColor", static_cast<int32_t>(m_defaultTextColor)},
            {"HotTextColor", static_cast<int32_t>(m_hotTextColor)},
            {"TextType", m_textType},
            {"TextRows", m_textRows},
            {"MinButtonsWidth", m_minButtonsWidth},
            {"MaxButtonsWidth", m_maxButtonsWidth},
        };
        for (const auto& [key, value] : values)
            written = profile::WriteProfileInt(props, key, value) && written;
    }
    return written;
}

bool COXCoolToolBar::restoreButtonOrder(std::span<const uint8_t> value)
{
    // The whole value first: a count, then that many command ids and nothing after them; every
    // command one of the bar's own, none twice.
    barstate::ByteReader reader(value);
    uint32_t count = 0;
    if (!reader.u32(count) || reader.remaining() / 4 != count || reader.remaining() % 4 != 0)
        return false;
    const ToolBarResource* resource = platform::framework::Resources::instance().toolBar(barId());
    if (!resource)
        return false;
    std::vector<uint32_t> ids(count);
    std::map<uint32_t, int32_t> images; // the bar's commands and their images
    int32_t image = 0;
    for (unsigned id : resource->buttons)
        if (id != 0)
            images.emplace(id, image++);
    std::map<uint32_t, int> seen;
    for (uint32_t& id : ids) {
        reader.u32(id);
        if (id != 0 && (!images.count(id) || seen[id]++ > 0))
            return false;
    }
    // Records of the buttons now on the bar, kept with their states and texts.
    std::map<uint32_t, ButtonRecord> kept;
    for (const ButtonRecord& record : m_records)
        if ((record.style & TBSTYLE_SEP) == 0)
            kept.emplace(record.commandId, record);
    while (GetButtonCount() > 0)
        DeleteButton(GetButtonCount() - 1);
    for (uint32_t id : ids) {
        ButtonRecord record;
        if (id == 0) {
            record.style = TBSTYLE_SEP;
            record.image = kSeparatorWidth;
        } else if (const auto found = kept.find(id); found != kept.end()) {
            record = found->second;
        } else {
            record.commandId = id;
            record.image = images[id];
        }
        InsertButton(GetButtonCount(), record);
    }
    return true;
}

void COXCoolToolBar::loadProperties(const std::string& section)
{
    auto read = [&](const char* key) { return profile::GetProfileInt(section, key, -1); };
    auto flag = [&](const char* key, auto apply) {
        const int32_t value = read(key);
        if (value != -1)
            apply(value != 0);
    };
    flag("Customizable", [this](bool on) { SetCustomizable(on, true); });
    flag("Cool", [this](bool on) { m_cool = on; });
    flag("Gripper", [this](bool on) { m_gripper = on; });
    flag("Separator", [this](bool on) { m_separatorDrawn = on; });
    flag("Flat", [this](bool on) { m_flat = on; });
    flag("List", [this](bool on) { SetList(on); });
    flag("DropDownArrow", [this](bool on) { m_dropDownArrow = on; });
    if (const int32_t indent = read("Indent"); indent != -1)
        SetIndent(indent);
    // Colours are COLORREF values; -1 (0xFFFFFFFF, CLR_NONE) reads as "not saved".
    if (const int32_t color = read("DefaultTextColor"); color != -1)
        m_defaultTextColor = static_cast<platform::framework::COLORREF>(color);
    if (const int32_t color = read("HotTextColor"); color != -1)
        m_hotTextColor = static_cast<platform::framework::COLORREF>(color);
    if (const int32_t type = read("TextType"); type != -1 && type != m_textType) {
        if (type == 3)
            SetButtonsText(0, 0xFFFF, 4);
        SetButtonsText(0, 0xFFFF, type);
    }
    if (const int32_t rows = read("TextRows"); rows != -1 && rows != m_textRows)
        m_textRows = rows;
    const int32_t minWidth = read("MinButtonsWidth");
    if (minWidth != -1 && minWidth != m_minButtonsWidth)
        SetButtonsMinMaxWidth(minWidth, m_maxButtonsWidth);
    const int32_t maxWidth = read("MaxButtonsWidth");
    if (maxWidth != -1 && maxWidth != m_maxButtonsWidth)
        SetButtonsMinMaxWidth(m_minButtonsWidth, maxWidth);
}

bool COXCoolToolBar::LoadBarState(const char* section, const char* name, bool properties)
{
    const std::string sectionName = section ? section : "";
    const std::string barName = name ? name : "";
    if (properties)
        loadProperties(sectionName + "_" + barName);

    if (!g_customSettingsRead) {
        g_customSettingsRead = true;
        // No custom control is registered yet, so only an empty table parses; any other counts
        // as missing.
        if (const auto value = readBinary(sectionName, kCustomSettings))
            barstate::decodeCustomButtonsSettings(
                value->first, value->second,
                [](uint32_t, std::span<const uint8_t>) { return std::optional<std::size_t>(); });
    }

    if (IsCustomizable(true) || IsCustomizable(false)) {
        if (const auto order = profile::GetProfileBinary(sectionName, barName))
            restoreButtonOrder(*order);
    }
    if (IsCustomizable(true) || IsCustomizable(false)) {
        const auto value = readBinary(sectionName, barName + "_ButtonsSettings");
        const auto settings =
            value ? barstate::decodeButtonsSettings(value->first, value->second) : std::nullopt;
        if (settings) {
            for (const barstate::ButtonSetting& setting : *settings) {
                if ((setting.style & TBSTYLE_SEP) != 0)
                    continue;
                for (int i = 0; i < GetButtonCount(); ++i) {
                    ButtonRecord& record = m_records[static_cast<std::size_t>(i)];
                    if (record.commandId != setting.commandId || (record.style & TBSTYLE_SEP) != 0)
                        continue;
                    // A separator style from the value would turn a button into a gap: kept out.
                    record.image = setting.image;
                    record.style = static_cast<uint8_t>(setting.style & ~TBSTYLE_SEP);
                    if (setting.textShown) {
                        record.text = setting.text;
                        m_hiddenTexts.erase(record.commandId);
                    } else if (!setting.text.empty()) {
                        m_hiddenTexts[record.commandId] = setting.text;
                    }
                    showText(i);
                    break;
                }
            }
            applyTextStyle();
        }
    }
    // The stored text type applies to all buttons (3 keeps the texts just restored).
    SetButtonsText(0, 0xFFFF, m_textType);

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
