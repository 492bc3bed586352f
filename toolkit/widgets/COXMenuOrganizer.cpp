#include "toolkit/widgets/COXMenuOrganizer.h"

#include "platform/framework/MdiFrame.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/ToolBar.h"
#include "platform/win/AppProfile.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/COXCoolToolBar.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include <algorithm>
#include <cstring>

namespace fw = platform::framework;
namespace profile = platform::win::app_profile;

namespace {

constexpr unsigned kExpansionId = COXBitmapMenu::ID_OX_SHOWALLITEMS;
constexpr const char* kCommandsSection = "RecentlyUsedMenuItems";
constexpr const char* kSubmenusSection = "RecentlyUsedSubmenuItems";
const QString kStyleName = QStringLiteral("oxBitmapMenuStyle");
const QString kFilterName = QStringLiteral("oxExpansionFilter");

// The organisers alive now: the styles and filters of Qt menus outlive an organiser.
std::set<const COXMenuOrganizer*>& liveOrganizers()
{
    static std::set<const COXMenuOrganizer*> organizers;
    return organizers;
}

bool isLive(const COXMenuOrganizer* organizer)
{
    return liveOrganizers().count(organizer) != 0;
}

bool organizerIsSeparator(unsigned state)
{
    return (state & fw::MF_POPUP) == 0 && (state & fw::MF_SEPARATOR) != 0;
}

// The position of an action among its menu's actions (the model position), or -1.
int positionOf(const QMenu* menu, const QAction* action)
{
    return action ? static_cast<int>(menu->actions().indexOf(const_cast<QAction*>(action))) : -1;
}

// Draws and measures the items of a converted menu through its COXBitmapMenu; anything else
// goes to the application's style.
class BitmapMenuStyle : public QProxyStyle
{
public:
    explicit BitmapMenuStyle(const COXMenuOrganizer* organizer) : m_organizer(organizer) {}

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        const auto* qtMenu = qobject_cast<const QMenu*>(widget);
        if (element == CE_MenuItem && item && qtMenu) {
            if (COXBitmapMenu* menu = bitmapMenu(qtMenu)) {
                const int position = positionOf(qtMenu, qtMenu->actionAt(option->rect.center()));
                if (position >= 0 && menu->itemData(position)) {
                    unsigned state = 0;
                    const bool enabled = (option->state & State_Enabled) != 0;
                    if ((option->state & State_Selected) != 0 && enabled)
                        state |= COXBitmapMenu::ODS_SELECTED;
                    if (!enabled)
                        state |= COXBitmapMenu::ODS_GRAYED;
                    if (item->checked)
                        state |= COXBitmapMenu::ODS_CHECKED;
                    menu->DrawItem(*painter, option->rect, position, state);
                    return;
                }
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        const auto* qtMenu = qobject_cast<const QMenu*>(widget);
        if (type == CT_MenuItem && item && qtMenu) {
            if (COXBitmapMenu* menu = bitmapMenu(qtMenu)) {
                // The option does not name its action: the first action with its text and kind.
                const QList<QAction*> actions = qtMenu->actions();
                for (int i = 0; i < actions.size(); ++i) {
                    const bool separator = item->menuItemType == QStyleOptionMenuItem::Separator;
                    if (actions[i]->isSeparator() != separator ||
                        (!separator && actions[i]->text() != item->text))
                        continue;
                    if (const std::optional<QSize> measured = menu->MeasureItem(i))
                        return *measured;
                    break;
                }
            }
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

private:
    COXBitmapMenu* bitmapMenu(const QMenu* qtMenu) const
    {
        if (!isLive(m_organizer) || !m_organizer->isAttached())
            return nullptr;
        return m_organizer->convertedMenu(fw::MenuRenderer::modelMenu(qtMenu));
    }

    const COXMenuOrganizer* m_organizer;
};

// Chooses the expansion item in place: a click or Enter on it shows the whole pop-up without
// closing it.
class ExpansionFilter : public QObject
{
public:
    ExpansionFilter(COXMenuOrganizer* organizer, QMenu* menu)
        : QObject(menu), m_organizer(organizer), m_menu(menu)
    {}
    std::function<void()> refill;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_menu || !isLive(m_organizer))
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QAction* action = m_menu->actionAt(mouse->position().toPoint());
            if (!action || action->data().toUInt() != kExpansionId)
                return false;
            if (event->type() == QEvent::MouseButtonRelease)
                expand();
            return true;
        }
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QAction* active = m_menu->activeAction();
            if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || !active ||
                active->data().toUInt() != kExpansionId)
                return false;
            expand();
            return true;
        }
        default:
            return false;
        }
    }

private:
    void expand()
    {
        m_organizer->expand(fw::MenuRenderer::modelMenu(m_menu));
        if (refill)
            refill();
        m_menu->adjustSize();
        m_menu->update();
    }

    COXMenuOrganizer* m_organizer;
    QMenu* m_menu;
};

void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t getU32(const std::vector<uint8_t>& in, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(in[at + static_cast<size_t>(i)]) << (8 * i);
    return value;
}

} // namespace

COXMenuOrganizer::COXMenuOrganizer()
{
    liveOrganizers().insert(this);
    SetDefaultCheckImages();
}

COXMenuOrganizer::~COXMenuOrganizer()
{
    DetachFrameWindow();
    liveOrganizers().erase(this);
}

bool COXMenuOrganizer::AttachFrameWindow(QMainWindow* frame)
{
    if (!frame)
        return false;
    if (m_frame)
        return m_frame == frame;
    m_frame = frame;
    fw::MenuRenderer::PopupHook hook;
    hook.popupShown = [this](fw::HMENU menu, QMenu* qtMenu, fw::HMENU parent,
                             const std::function<void()>& refill) {
        popupShown(menu, qtMenu, parent, refill);
    };
    hook.commandChosen = [this](unsigned id) { commandChosen(id); };
    hook.menuLoopEnded = [this]() { menuLoopEnded(); };
    fw::MenuRenderer::setPopupHook(frame, std::move(hook));
    return true;
}

QMainWindow* COXMenuOrganizer::DetachFrameWindow()
{
    QMainWindow* frame = m_frame;
    if (frame)
        fw::MenuRenderer::clearPopupHook(frame);
    RestoreAllMenus();
    m_frame = nullptr;
    m_imageInfo.clear();
    m_imageLists.clear();
    m_openPopups.clear();
    m_expanded = false;
    return frame;
}

bool COXMenuOrganizer::CollectToolBarImages()
{
    if (!m_frame)
        return false;
    RestoreAllMenus();
    m_imageInfo.clear();
    m_imageLists.clear();
    int number = 0;
    // In the frame's bar order; a command on several bars keeps the later bar's image.
    for (auto* child : m_frame->findChildren<QToolBar*>()) {
        auto* bar = dynamic_cast<COXCoolToolBar*>(child);
        if (!bar)
            continue;
        ++number;
        auto list = std::make_shared<OXImageList>();
        std::vector<std::pair<unsigned, QPixmap>> hot;
        std::vector<std::pair<unsigned, int>> normal;
        for (int i = 0; i < bar->GetButtonCount(); ++i) {
            const COXCoolToolBar::ButtonRecord* record = bar->GetButton(i);
            if (!record || record->commandId == 0 || (record->style & COXCoolToolBar::TBSTYLE_SEP))
                continue;
            const QAction* button = bar->button(record->commandId);
            if (!button || button->icon().isNull())
                continue;
            const QIcon icon = button->icon();
            const QList<QSize> sizes = icon.availableSizes();
            const QSize size = sizes.isEmpty() ? bar->iconSize() : sizes.first();
            // At the frame's pixel density, so a bar's high-density images reach its menus.
            const qreal ratio = m_frame->devicePixelRatioF();
            normal.emplace_back(record->commandId, static_cast<int>(list->size()));
            list->push_back(icon.pixmap(size, ratio));
            if (!icon.availableSizes(QIcon::Active).isEmpty())
                hot.emplace_back(record->commandId, icon.pixmap(size, ratio, QIcon::Active));
        }
        if (list->empty())
            continue;
        // The hot images stand behind the normal ones.
        std::map<unsigned, int> hotIndex;
        for (auto& [id, pixmap] : hot) {
            hotIndex[id] = static_cast<int>(list->size());
            list->push_back(pixmap);
        }
        m_imageLists[std::to_string(number)] = list;
        for (const auto& [id, index] : normal) {
            auto info = std::make_unique<OXImageInfo>();
            info->imageList = list;
            info->index = index;
            const auto found = hotIndex.find(id);
            info->hotIndex = found == hotIndex.end() ? -1 : found->second;
            m_imageInfo[id] = std::move(info);
        }
    }
    return true;
}

QIcon COXMenuOrganizer::image(unsigned commandId) const
{
    const OXImageInfo* info = GetImageInfo(commandId);
    if (!info || info->checkImage)
        return QIcon();
    const QPixmap pixmap = info->pixmap();
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

OXImageInfo* COXMenuOrganizer::GetImageInfo(unsigned commandId) const
{
    const auto found = m_imageInfo.find(commandId);
    return found == m_imageInfo.end() ? nullptr : found->second.get();
}

bool COXMenuOrganizer::SetMenuImage(unsigned commandId, const std::string& key,
                                    const OXImageList& images, int index)
{
    if (!m_frame || index < 0 || index >= static_cast<int>(images.size()))
        return false;
    auto list = std::make_shared<OXImageList>(images);
    m_imageLists[key] = list;
    auto info = std::make_unique<OXImageInfo>();
    info->imageList = list;
    info->index = index;
    m_imageInfo[commandId] = std::move(info);
    return true;
}

bool COXMenuOrganizer::SetMenuBitmap(unsigned commandId, unsigned bitmapId, int index,
                                     int imageWidth)
{
    if (!m_frame)
        return false;
    QImage bitmap = toolkit::widgets::loadBitmapResource(bitmapId);
    if (bitmap.isNull())
        return false;
    bitmap = bitmap.convertToFormat(QImage::Format_ARGB32);
    const int width = imageWidth > 0 ? imageWidth : bitmap.width();
    if (width > bitmap.width())
        return false;
    // Light grey is transparent.
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if ((bitmap.pixel(x, y) & 0xFFFFFF) == 0xC0C0C0)
                bitmap.setPixel(x, y, 0);
    OXImageList images;
    for (int x = 0; x + width <= bitmap.width(); x += width)
        images.push_back(QPixmap::fromImage(bitmap.copy(x, 0, width, bitmap.height())));
    std::string key = "\x7f" + std::to_string(bitmapId) + "\x7f";
    return SetMenuImage(commandId, key, images, index);
}

bool COXMenuOrganizer::SetMenuHotImage(unsigned commandId, const QPixmap& image)
{
    OXImageInfo* info = GetImageInfo(commandId);
    if (!m_frame || !info || !info->imageList || image.isNull())
        return false;
    info->hotIndex = static_cast<int>(info->imageList->size());
    info->imageList->push_back(image);
    return true;
}

void COXMenuOrganizer::SetDefaultCheckImages(const QPixmap& check, const QPixmap& bullet)
{
    // The tick and the bullet in the style's text colour on a clear ground: the item's frame
    // behind them is the menu's colour or its light shading, on which the style's own menu
    // check mark (drawn for a highlighted item) may not show.
    const auto drawn = [](bool exclusive) {
        const int extent = QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth);
        QPixmap pixmap(extent, extent);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor ink = QApplication::palette().color(QPalette::Active, QPalette::Text);
        const qreal e = extent;
        if (exclusive) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(ink);
            painter.drawEllipse(QRectF(e * 0.3, e * 0.3, e * 0.4, e * 0.4));
        } else {
            QPen pen(ink, std::max(1.5, e / 7.0));
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            painter.setPen(pen);
            const QPointF tick[] = {
                {e * 0.22, e * 0.52}, {e * 0.42, e * 0.72}, {e * 0.78, e * 0.3}};
            painter.drawPolyline(tick, 3);
        }
        return pixmap;
    };
    auto list = std::make_shared<OXImageList>();
    list->push_back(check.isNull() ? drawn(false) : check);
    list->push_back(bullet.isNull() ? drawn(true) : bullet);
    m_defaultImages = list;
}

std::shared_ptr<OXImageList> COXMenuOrganizer::defaultListFor(unsigned id)
{
    const std::string key = "\x7f" + std::to_string(id) + "\x80";
    auto& list = m_imageLists[key];
    if (!list)
        list = m_defaultImages;
    return list;
}

fw::HMENU COXMenuOrganizer::menuBar() const
{
    if (m_menuBarSource)
        return m_menuBarSource();
    const auto* frame = dynamic_cast<const fw::MdiFrame*>(m_frame.data());
    return frame ? frame->currentMenu() : 0;
}

bool COXMenuOrganizer::IsPopupOfMenuBar(fw::HMENU menu) const
{
    const fw::HMENU bar = menuBar();
    for (int i = 0; i < fw::GetMenuItemCount(bar); ++i)
        if (fw::GetSubMenu(bar, i) == menu)
            return true;
    return false;
}

COXBitmapMenu* COXMenuOrganizer::convertedMenu(fw::HMENU menu) const
{
    const auto found = m_converted.find(menu);
    return found == m_converted.end() ? nullptr : found->second.get();
}

void COXMenuOrganizer::OnInitMenuPopup(fw::HMENU menu)
{
    if (!m_frame || !fw::IsMenu(menu))
        return;
    COXBitmapMenu* bitmapMenu = convertedMenu(menu);
    const bool newlyWrapped = bitmapMenu == nullptr;
    if (newlyWrapped) {
        auto created = std::make_unique<COXBitmapMenu>(menu);
        created->setOrganizer(this);
        bitmapMenu = created.get();
        m_converted[menu] = std::move(created);
    }
    ConvertMenu(bitmapMenu, newlyWrapped);
    if (m_customizeMode) {
        bitmapMenu->SetCustomizable(true);
        bitmapMenu->setNotificationTarget(m_target);
    } else {
        bitmapMenu->SelectItem(-1);
    }
    bitmapMenu->setCustomizeMode(m_customizeMode);
}

bool COXMenuOrganizer::takeItemsOut(COXBitmapMenu* bitmapMenu)
{
    const fw::HMENU menu = bitmapMenu->handle();
    std::vector<SavedItem> saved;
    bool dangling = true;
    const int count = fw::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const unsigned state = fw::GetMenuState(menu, static_cast<unsigned>(i), fw::MF_BYPOSITION);
        const bool separator = organizerIsSeparator(state);
        if (IsItemRecentlyUsed(menu, i) && !(separator && dangling)) {
            dangling = false;
            continue;
        }
        SavedItem item;
        item.position = i;
        item.state = state;
        item.id = fw::GetMenuItemID(menu, i);
        item.subMenu = fw::GetSubMenu(menu, i);
        item.text =
            fw::GetMenuString(menu, static_cast<unsigned>(i), fw::MF_BYPOSITION).value_or("");
        saved.push_back(item);
        if (!separator && i > 0 && !dangling &&
            organizerIsSeparator(
                fw::GetMenuState(menu, static_cast<unsigned>(i - 1), fw::MF_BYPOSITION)))
            dangling = true;
    }
    if (saved.empty())
        return false;
    fw::AppendMenu(menu, fw::MF_STRING, kExpansionId, "");
    // Last position first; RemoveMenu keeps a sub-menu alive for its restoration.
    for (auto it = saved.rbegin(); it != saved.rend(); ++it)
        fw::RemoveMenu(menu, static_cast<unsigned>(it->position), fw::MF_BYPOSITION);
    auto& entry = m_saved[menu];
    entry.insert(entry.end(), saved.begin(), saved.end());
    return true;
}

void COXMenuOrganizer::ConvertMenu(COXBitmapMenu* bitmapMenu, bool newlyWrapped)
{
    if (!bitmapMenu || !fw::IsMenu(bitmapMenu->handle()))
        return;
    const fw::HMENU menu = bitmapMenu->handle();
    if (newlyWrapped && m_filter && !m_expanded && !m_customizeMode)
        takeItemsOut(bitmapMenu);
    bitmapMenu->clearMnemonics();
    const int count = fw::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const unsigned state = fw::GetMenuState(menu, static_cast<unsigned>(i), fw::MF_BYPOSITION);
        const std::string text =
            fw::GetMenuString(menu, static_cast<unsigned>(i), fw::MF_BYPOSITION).value_or("");
        OXImageInfo* info = nullptr;
        if (!organizerIsSeparator(state)) {
            const unsigned id = fw::GetMenuItemID(menu, i);
            info = GetImageInfo(id);
            if (!info) {
                auto created = std::make_unique<OXImageInfo>();
                created->imageList = defaultListFor(id);
                created->index = 0;
                created->checkImage = true;
                info = created.get();
                m_imageInfo[id] = std::move(created);
            }
            if (id == kExpansionId)
                fw::EnableMenuItem(menu, static_cast<unsigned>(i),
                                   fw::MF_BYPOSITION | fw::MF_ENABLED);
        }
        if (OXItemData* data = bitmapMenu->itemData(i); data && !newlyWrapped) {
            data->image = info;
            data->text = text;
        } else {
            fw::SetMenuItemData(menu, static_cast<unsigned>(i), fw::MF_BYPOSITION,
                                reinterpret_cast<uintptr_t>(bitmapMenu->AddItemData(info, text)));
        }
        if (const std::optional<char32_t> character = COXBitmapMenu::mnemonicOf(text))
            bitmapMenu->setMnemonic(*character, i);
    }
    bitmapMenu->CalcExtents();
}

void COXMenuOrganizer::RestoreMenu(fw::HMENU menu, bool)
{
    // The item data records die with the wrapper: the items become plain string items.
    m_converted.erase(menu);
    if (fw::IsMenu(menu)) {
        const int count = fw::GetMenuItemCount(menu);
        if (count > 0 && fw::GetMenuItemID(menu, count - 1) == kExpansionId)
            fw::DeleteMenu(menu, static_cast<unsigned>(count - 1), fw::MF_BYPOSITION);
    }
    const auto found = m_saved.find(menu);
    if (found == m_saved.end())
        return;
    const std::vector<SavedItem> items = std::move(found->second);
    m_saved.erase(found);
    constexpr unsigned kept = fw::MF_GRAYED | fw::MF_DISABLED | fw::MF_CHECKED | fw::MF_RADIOCHECK |
                              fw::MF_MENUBREAK | fw::MF_MENUBARBREAK;
    for (const SavedItem& item : items) {
        if (!fw::IsMenu(menu)) {
            // The menu is gone: its taken-out sub-menus have no owner any more.
            if (item.subMenu != 0)
                fw::DestroyMenu(item.subMenu);
            continue;
        }
        const unsigned position = static_cast<unsigned>(item.position);
        if (item.subMenu != 0) {
            if (fw::IsMenu(item.subMenu))
                fw::InsertMenu(menu, position,
                               fw::MF_BYPOSITION | fw::MF_POPUP | (item.state & kept), item.subMenu,
                               item.text);
        } else if (organizerIsSeparator(item.state)) {
            fw::InsertMenu(menu, position, fw::MF_BYPOSITION | fw::MF_SEPARATOR, 0, "");
        } else {
            fw::InsertMenu(menu, position, fw::MF_BYPOSITION | fw::MF_STRING | (item.state & kept),
                           item.id, item.text);
        }
    }
}

void COXMenuOrganizer::RestoreAllMenus()
{
    std::set<fw::HMENU> menus;
    for (const auto& [menu, wrapper] : m_converted)
        menus.insert(menu);
    for (const auto& [menu, items] : m_saved)
        menus.insert(menu);
    for (fw::HMENU menu : menus)
        RestoreMenu(menu, true);
}

uint32_t COXMenuOrganizer::OnMenuChar(char32_t character, fw::HMENU menu) const
{
    const COXBitmapMenu* bitmapMenu = convertedMenu(menu);
    if (!bitmapMenu)
        return 0;
    const std::optional<int> position = bitmapMenu->mnemonic(QChar::toLower(character));
    if (!position)
        return 0;
    return (2u << 16) | static_cast<uint32_t>(*position & 0xFFFF);
}

std::optional<QSize> COXMenuOrganizer::MeasureItem(fw::HMENU menu, int position) const
{
    const COXBitmapMenu* bitmapMenu = convertedMenu(menu);
    return bitmapMenu ? bitmapMenu->MeasureItem(position) : std::nullopt;
}

void COXMenuOrganizer::SetCustomizeMode(bool on, COXBitmapMenu::NotificationTarget target)
{
    if (on && m_filter && !m_expanded)
        RestoreAllMenus();
    m_customizeMode = on;
    m_target = std::move(target);
}

void COXMenuOrganizer::SetShowOnlyRecentlyUsedItems(bool on)
{
    if (on == m_filter)
        return;
    m_filter = on;
    for (const auto& [menu, wrapper] : m_converted)
        wrapper->CalcExtents();
}

bool COXMenuOrganizer::HideCommand(unsigned id)
{
    return id != 0 && m_hiddenCommands.insert(id).second;
}

bool COXMenuOrganizer::HideSubmenu(fw::HMENU menu)
{
    return menu != 0 && m_hiddenSubmenus.insert(menu).second;
}

bool COXMenuOrganizer::ShowCommand(unsigned id)
{
    return m_hiddenCommands.erase(id) != 0;
}

bool COXMenuOrganizer::ShowSubmenu(fw::HMENU menu)
{
    return m_hiddenSubmenus.erase(menu) != 0;
}

bool COXMenuOrganizer::IsItemRecentlyUsed(fw::HMENU menu, int position) const
{
    if (const fw::HMENU sub = fw::GetSubMenu(menu, position))
        return IsSubmenuRecentlyUsed(sub);
    return IsCommandRecentlyUsed(fw::GetMenuItemID(menu, position));
}

bool COXMenuOrganizer::HideItem(fw::HMENU menu, int position)
{
    if (const fw::HMENU sub = fw::GetSubMenu(menu, position))
        return HideSubmenu(sub);
    return HideCommand(fw::GetMenuItemID(menu, position));
}

bool COXMenuOrganizer::ShowItem(fw::HMENU menu, int position)
{
    if (const fw::HMENU sub = fw::GetSubMenu(menu, position))
        return ShowSubmenu(sub);
    return ShowCommand(fw::GetMenuItemID(menu, position));
}

void COXMenuOrganizer::popupShown(fw::HMENU menu, QMenu* qtMenu, fw::HMENU parentMenu,
                                  const std::function<void()>& refill)
{
    if (!m_frame || !fw::IsMenu(menu))
        return;
    const auto parent = std::find(m_openPopups.begin(), m_openPopups.end(), parentMenu);
    if (parentMenu == 0 || parent == m_openPopups.end())
        m_openPopups.clear();
    else
        m_openPopups.erase(parent + 1, m_openPopups.end());
    m_openPopups.push_back(menu);
    OnInitMenuPopup(menu);
    if (refill)
        refill();
    if (!qtMenu)
        return;
    // Neither helper has a meta-object of its own: find them by name and dynamic type.
    if (!dynamic_cast<BitmapMenuStyle*>(
            qtMenu->findChild<QObject*>(kStyleName, Qt::FindDirectChildrenOnly))) {
        auto* style = new BitmapMenuStyle(this);
        style->setObjectName(kStyleName);
        style->setParent(qtMenu);
        qtMenu->setStyle(style);
    }
    auto* filter = dynamic_cast<ExpansionFilter*>(
        qtMenu->findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly));
    if (!filter) {
        filter = new ExpansionFilter(this, qtMenu);
        filter->setObjectName(kFilterName);
        qtMenu->installEventFilter(filter);
    }
    filter->refill = refill;
}

void COXMenuOrganizer::commandChosen(unsigned commandId)
{
    if (commandId == 0 || commandId == kExpansionId || !m_filter || m_openPopups.empty())
        return;
    bool changed = ShowCommand(commandId);
    for (size_t i = 1; i < m_openPopups.size(); ++i)
        changed = ShowSubmenu(m_openPopups[i]) || changed;
    if (changed && m_marksChanged)
        m_marksChanged();
}

void COXMenuOrganizer::menuLoopEnded()
{
    if (m_expanded) {
        m_expanded = false;
        if (m_filter)
            RestoreAllMenus();
    }
    m_openPopups.clear();
}

void COXMenuOrganizer::expand(fw::HMENU menu)
{
    m_expanded = true;
    std::vector<fw::HMENU> gone;
    for (const auto& [converted, wrapper] : m_converted)
        if (!fw::IsMenu(converted))
            gone.push_back(converted);
    for (fw::HMENU converted : gone)
        RestoreMenu(converted, true);
    RestoreMenu(menu, true);
    OnInitMenuPopup(menu);
}

std::vector<uint8_t> COXMenuOrganizer::encodeHiddenCommands(const std::vector<uint32_t>& ids)
{
    std::vector<uint8_t> out;
    putU32(out, static_cast<uint32_t>(ids.size()));
    for (uint32_t id : ids)
        putU32(out, id);
    return out;
}

std::optional<std::vector<uint32_t>>
COXMenuOrganizer::decodeHiddenCommands(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 4)
        return std::nullopt;
    const uint32_t count = getU32(bytes, 0);
    if ((bytes.size() - 4) / 4 < count || bytes.size() != 4 + static_cast<size_t>(count) * 4)
        return std::nullopt;
    std::vector<uint32_t> ids;
    ids.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        ids.push_back(getU32(bytes, 4 + static_cast<size_t>(i) * 4));
    return ids;
}

std::vector<uint8_t>
COXMenuOrganizer::encodeSubmenuPaths(const std::vector<std::vector<int32_t>>& paths)
{
    std::vector<uint8_t> out;
    putU32(out, static_cast<uint32_t>(paths.size()));
    for (const auto& path : paths) {
        for (int32_t position : path)
            putU32(out, static_cast<uint32_t>(position));
        putU32(out, 0xFFFFFFFF);
    }
    return out;
}

std::optional<std::vector<std::vector<int32_t>>>
COXMenuOrganizer::decodeSubmenuPaths(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 4 || bytes.size() % 4 != 0)
        return std::nullopt;
    const uint32_t count = getU32(bytes, 0);
    // Every path takes at least its terminator.
    if ((bytes.size() - 4) / 4 < count)
        return std::nullopt;
    std::vector<std::vector<int32_t>> paths;
    size_t at = 4;
    for (uint32_t i = 0; i < count; ++i) {
        std::vector<int32_t> path;
        for (;;) {
            if (at + 4 > bytes.size())
                return std::nullopt;
            const uint32_t value = getU32(bytes, at);
            at += 4;
            if (value == 0xFFFFFFFF)
                break;
            path.push_back(static_cast<int32_t>(value));
        }
        paths.push_back(std::move(path));
    }
    if (at != bytes.size())
        return std::nullopt;
    return paths;
}

bool COXMenuOrganizer::SaveRUCommandsState(const std::string& section) const
{
    const std::string name = section.empty() ? kCommandsSection : section;
    const std::vector<uint8_t> bytes = encodeHiddenCommands(
        std::vector<uint32_t>(m_hiddenCommands.begin(), m_hiddenCommands.end()));
    return profile::WriteProfileBinary(name, "RUContents", bytes) &&
           profile::WriteProfileInt(name, "RUItemsDataSize", static_cast<int32_t>(bytes.size()));
}

bool COXMenuOrganizer::LoadRUCommandsState(const std::string& section)
{
    const std::string name = section.empty() ? kCommandsSection : section;
    const int32_t size = profile::GetProfileInt(name, "RUItemsDataSize", -1);
    if (size == -1)
        return true;
    const std::optional<std::vector<uint8_t>> bytes = profile::GetProfileBinary(name, "RUContents");
    if (!bytes)
        return true;
    if (size < 0 || bytes->size() != static_cast<size_t>(size))
        return false;
    const std::optional<std::vector<uint32_t>> ids = decodeHiddenCommands(*bytes);
    if (!ids)
        return false;
    m_hiddenCommands.clear();
    for (uint32_t id : *ids)
        HideCommand(id);
    return true;
}

std::vector<fw::HMENU> COXMenuOrganizer::fullSubmenus(fw::HMENU menu) const
{
    // The items as they were before any was taken out: the items now, without the expansion
    // item, with the taken-out ones put back at their positions.
    std::vector<fw::HMENU> subs;
    const int count = fw::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (i == count - 1 && fw::GetMenuItemID(menu, i) == kExpansionId && m_saved.count(menu))
            break;
        subs.push_back(fw::GetSubMenu(menu, i));
    }
    if (const auto found = m_saved.find(menu); found != m_saved.end()) {
        for (const SavedItem& item : found->second) {
            const size_t at =
                std::min(static_cast<size_t>(std::max(item.position, 0)), subs.size());
            subs.insert(subs.begin() + static_cast<long>(at), item.subMenu);
        }
    }
    return subs;
}

bool COXMenuOrganizer::findPath(fw::HMENU root, fw::HMENU target, std::vector<int32_t>& path,
                                int depth) const
{
    if (depth > 64)
        return false;
    const std::vector<fw::HMENU> subs = fullSubmenus(root);
    for (size_t i = 0; i < subs.size(); ++i) {
        if (subs[i] == 0)
            continue;
        path.push_back(static_cast<int32_t>(i));
        if (subs[i] == target || findPath(subs[i], target, path, depth + 1))
            return true;
        path.pop_back();
    }
    return false;
}

bool COXMenuOrganizer::SaveRUSubmenusState(fw::HMENU root, const std::string& section) const
{
    const std::string name = section.empty() ? kSubmenusSection : section;
    std::vector<std::vector<int32_t>> paths;
    for (fw::HMENU hidden : m_hiddenSubmenus) {
        std::vector<int32_t> path;
        if (!fw::IsMenu(hidden) || !findPath(root, hidden, path))
            path.clear();
        paths.push_back(std::move(path));
    }
    const std::vector<uint8_t> bytes = encodeSubmenuPaths(paths);
    return profile::WriteProfileBinary(name, "RUContents", bytes) &&
           profile::WriteProfileInt(name, "RUItemsDataSize", static_cast<int32_t>(bytes.size()));
}

bool COXMenuOrganizer::LoadRUSubmenusState(fw::HMENU root, const std::string& section)
{
    const std::string name = section.empty() ? kSubmenusSection : section;
    const int32_t size = profile::GetProfileInt(name, "RUItemsDataSize", -1);
    if (size == -1)
        return true;
    const std::optional<std::vector<uint8_t>> bytes = profile::GetProfileBinary(name, "RUContents");
    if (!bytes)
        return true;
    if (size < 0 || bytes->size() != static_cast<size_t>(size))
        return false;
    const auto paths = decodeSubmenuPaths(*bytes);
    if (!paths)
        return false;
    m_hiddenSubmenus.clear();
    for (const auto& path : *paths) {
        fw::HMENU menu = root;
        for (int32_t position : path) {
            menu = fw::GetSubMenu(menu, position);
            if (menu == 0)
                break;
        }
        if (menu != 0 && menu != root && !path.empty())
            HideSubmenu(menu);
    }
    return true;
}
