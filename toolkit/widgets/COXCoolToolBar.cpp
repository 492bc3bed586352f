#include "toolkit/widgets/COXCoolToolBar.h"

#include "platform/framework/CmdUI.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/MdiFrame.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "platform/win/AppProfile.h"
#include "toolkit/widgets/BitmapLoader.h"
#include "toolkit/widgets/SystemColors.h"
#include "toolkit/widgets/ToolBarLayout.h"
#include "toolkit/widgets/ToolBarStateCodec.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QDragEnterEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QWidgetAction>

#include <algorithm>
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

// The widget that stands in a custom button's place on the bar: the control where the display
// flags allow the bar's state, else a plain button showing the image when hidden.
class CustomButtonHost : public QWidget
{
public:
    explicit CustomButtonHost(QWidget* parent) : QWidget(parent), m_button(new QToolButton(this))
    {
        m_button->setAutoRaise(true);
        m_button->hide();
        // The separator's width, not whatever room the bar has left.
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QToolButton* button() const { return m_button; }
    QWidget* control() const { return m_control; }
    void setControl(QWidget* control)
    {
        m_control = control;
        if (control) {
            control->setParent(this);
            control->show();
        }
        arrange();
    }
    // Gives the control back to the bar (hidden), so that deleting the host keeps it.
    QWidget* releaseControl(QWidget* bar)
    {
        QWidget* control = m_control;
        if (control) {
            control->hide();
            control->setParent(bar);
        }
        m_control = nullptr;
        return control;
    }
    void showControl(int width, int height)
    {
        m_shown = true;
        m_width = width;
        m_height = height;
        m_button->hide();
        if (m_control)
            m_control->show();
        updateGeometry();
        arrange();
    }
    void showImage(const QIcon& image, const QSize& iconSize)
    {
        m_shown = false;
        m_button->setIconSize(iconSize);
        m_button->setIcon(image);
        if (m_control)
            m_control->hide();
        m_button->show();
        updateGeometry();
        arrange();
    }
    void setSelected(bool selected)
    {
        if (m_selected != selected) {
            m_selected = selected;
            update();
        }
    }
    bool controlShown() const { return m_shown; }

    QSize sizeHint() const override
    {
        const QSize button = m_button->sizeHint();
        if (!m_shown)
            return button;
        int width = m_width;
        if (width <= 0)
            width = (m_control ? m_control->sizeHint().width() : button.width()) + 4;
        return {width, std::max(button.height(), m_control ? m_control->sizeHint().height() : 0)};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent*) override { arrange(); }
    void paintEvent(QPaintEvent*) override
    {
        if (!m_selected)
            return;
        // The selected custom button's frame: 2 pixels wide, as a drag rectangle.
        QPainter painter(this);
        QPen pen(palette().color(QPalette::WindowText), 2, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }

private:
    void arrange()
    {
        if (m_shown && m_control)
            m_control->setGeometry(COXCoolToolBar::customControlRect(rect(), m_height));
        else
            m_button->setGeometry(rect());
    }

    QToolButton* m_button;
    QPointer<QWidget> m_control;
    bool m_shown = true;
    bool m_selected = false;
    int m_width = -1;
    int m_height = -1;
};

// The bar's look within the application's style: the room before the first button holds the
// icon, the gripper and the indent, and the bar draws them and its separators itself.
class CoolBarStyle : public QProxyStyle
{
public:
    explicit CoolBarStyle(COXCoolToolBar* bar) : m_bar(bar) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        if (metric == PM_ToolBarHandleExtent && widget == m_bar)
            return m_bar->leadingExtent();
        if (metric == PM_ToolBarSeparatorExtent && widget == m_bar)
            return COXCoolToolBar::kSeparatorWidth;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override
    {
        if (element == SE_ToolBarHandle && widget == m_bar) {
            const auto* bar = qstyleoption_cast<const QStyleOptionToolBar*>(option);
            const int extent = m_bar->leadingExtent();
            if (extent <= 0 || !bar || (bar->features & QStyleOptionToolBar::Movable) == 0)
                return {};
            const QRect rect = option->rect;
            return m_bar->orientation() == Qt::Horizontal
                       ? QRect(rect.left(), rect.top(), extent, rect.height())
                       : QRect(rect.left(), rect.top(), rect.width(), extent);
        }
        return QProxyStyle::subElementRect(element, option, widget);
    }
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element == PE_IndicatorToolBarHandle && widget == m_bar) {
            QRect rect = option->rect;
            if (m_bar->isFloating()) {
                // A floating bar keeps the style's handle first: it is what moves the bar.
                const int handle = baseStyle()->pixelMetric(PM_ToolBarHandleExtent, option, widget);
                QStyleOptionToolBar grip;
                grip.QStyleOption::operator=(*option);
                const bool horizontal = m_bar->orientation() == Qt::Horizontal;
                grip.rect = horizontal ? QRect(rect.left(), rect.top(), handle, rect.height())
                                       : QRect(rect.left(), rect.top(), rect.width(), handle);
                QProxyStyle::drawPrimitive(element, &grip, painter, widget);
                (horizontal ? rect.setLeft(rect.left() + handle)
                            : rect.setTop(rect.top() + handle));
            }
            if (m_bar->drawsOwnParts())
                m_bar->drawLeadingArea(*painter, rect);
            return;
        }
        if (element == PE_IndicatorToolBarSeparator && widget && widget->parentWidget() == m_bar &&
            m_bar->drawsOwnSeparators() && m_bar->drawsOwnParts()) {
            m_bar->DrawSeparator(*painter, option->rect);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    COXCoolToolBar* m_bar;
};

// A 3-D rectangle: top and left in one colour, bottom and right in the other.
void draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight)
{
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), topLeft);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
}

QRect toQRect(const toolkit::widgets::barlayout::Rect& rect)
{
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

toolkit::widgets::barlayout::Rect fromQRect(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// The frame round the selected button in customisation mode; it lets the mouse through.
class SelectionFrame : public QWidget
{
public:
    SelectionFrame(COXCoolToolBar* bar) : QWidget(bar), m_bar(bar)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        m_bar->DrawSelectedButtonFrame(painter, rect());
    }

private:
    COXCoolToolBar* m_bar;
};

// Stands in the framework's tool-bar layout for all of the bar's buttons: that layout places it
// after the handle and sizes the bar round it, and the bar places its buttons over it. Its size
// hint is the size of the buttons as laid out; it may be made as small as one button.
class ButtonArea : public QWidget
{
public:
    explicit ButtonArea(QWidget* parent) : QWidget(parent)
    {
        // Mouse events it ignores go on to the bar (a floating bar is moved from anywhere).
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }
    void setSizes(const QSize& hint, const QSize& minimum)
    {
        if (hint == m_hint && minimum == m_minimum)
            return;
        m_hint = hint;
        m_minimum = minimum;
        updateGeometry();
    }
    QSize sizeHint() const override { return m_hint; }
    QSize minimumSizeHint() const override { return m_minimum; }

private:
    QSize m_hint{0, 0};
    QSize m_minimum{0, 0};
};

// A separator of the bar, as wide as its record says. It is drawn as the application's style
// draws tool-bar separators, which the bar's style turns into its own drawing: a line down a
// separator taller than wide, else a line across it (a separator that ends a row stands for the
// gap below the row).
class BarSeparator : public QWidget
{
public:
    explicit BarSeparator(COXCoolToolBar* bar) : QWidget(bar), m_bar(bar) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        if (height() > width())
            option.state |= QStyle::State_Horizontal;
        m_bar->style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &option, &painter,
                                      this);
    }

private:
    COXCoolToolBar* m_bar;
};

// The process-wide registrations of custom buttons and the bars alive, which an update of a
// registration reaches.
struct CustomButtonRegistry
{
    std::map<unsigned, CustomButtonRecord> records;
    std::vector<unsigned> ids; // registration order
    std::vector<COXCoolToolBar*> bars;
};

CustomButtonRegistry& customRegistry()
{
    static CustomButtonRegistry registry;
    return registry;
}

// Keeps a record's numbers within what a widget can take: any 32-bit value may come from the
// profile.
int clampExtent(int value)
{
    return value <= 0 ? -1 : std::min(value, 32767);
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
    m_style = std::make_unique<CoolBarStyle>(this);
    setStyle(m_style.get());
    adoptButtons();
    m_arrowWidth = QApplication::style()->pixelMetric(QStyle::PM_MenuButtonIndicator);
    m_selectionFrame = new SelectionFrame(this);
    setAcceptDrops(true);
    watchButtons();
    customRegistry().bars.push_back(this);
    // Floating re-places the custom buttons at once; a new dock side at the next idle update.
    connect(this, &QToolBar::topLevelChanged, this, [this](bool) {
        arrangeButtons();
        if (!m_customButtons.empty())
            UpdateLayout(true, true);
        m_idleWork |= 2;
    });
    connect(this, &QToolBar::orientationChanged, this, [this](Qt::Orientation) {
        arrangeButtons();
        if (!m_customButtons.empty())
            m_idleWork |= 1;
        m_idleWork |= 2;
    });
}

COXCoolToolBar::~COXCoolToolBar()
{
    auto& bars = customRegistry().bars;
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    // The framework's layout lets the buttons' area go before its action does.
    if (m_areaAction) {
        m_buttonArea->removeEventFilter(this);
        QActionEvent removed(QEvent::ActionRemoved, m_areaAction);
        QToolBar::actionEvent(&removed);
        delete m_areaAction;
        m_areaAction = nullptr;
        m_buttonArea = nullptr;
    }
    // No widget may keep the bar's style once it is gone.
    for (QWidget* child : findChildren<QWidget*>())
        if (child->style() == m_style.get())
            child->setStyle(nullptr);
    setStyle(nullptr);
}

void COXCoolToolBar::watchButtons()
{
    for (QAction* action : actions()) {
        QWidget* widget = widgetForAction(action);
        if (!widget)
            continue;
        widget->installEventFilter(this); // installing twice keeps one filter
        if (auto* host = dynamic_cast<CustomButtonHost*>(widget))
            host->button()->installEventFilter(this);
        if (action->isSeparator() && widget->style() != m_style.get())
            widget->setStyle(m_style.get()); // the bar draws its separators
    }
    applyButtonLooks();
}

int COXCoolToolBar::indexOfWidget(QObject* widget) const
{
    // A custom button's own widgets stand for their host.
    const QList<QAction*> all = actions();
    for (QObject* object = widget; object && object != this; object = object->parent())
        for (int i = 0; i < all.size(); ++i)
            if (widgetForAction(all[i]) == object)
                return i;
    return -1;
}

bool COXCoolToolBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buttonArea) {
        // The framework's layout moved or sized the buttons' area: the buttons follow it.
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            placeButtons();
        return false;
    }
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
        if (auto* button = qobject_cast<QToolButton*>(watched))
            applyTextColor(button, event->type() == QEvent::Enter);
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (m_selectedButton >= 0)
            placeSelectionFrame();
        break;
    default:
        break;
    }
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
    // Custom buttons at the index and above move up, from the top down.
    std::map<int, CustomButtonRecord> moved;
    for (auto& [at, custom] : m_customButtons)
        moved.emplace(at >= index ? at + 1 : at, std::move(custom));
    m_customButtons = std::move(moved);
    if (m_selectedButton >= index)
        ++m_selectedButton;
    if (m_insertionIndex >= index)
        ++m_insertionIndex;
    showText(index);
    watchButtons();
    UpdateLayout(true, true);
    return true;
}

bool COXCoolToolBar::DeleteButton(int index)
{
    QAction* action = actionAt(index);
    if (!action || index >= GetButtonCount())
        return false;
    if (const auto custom = m_customButtons.find(index); custom != m_customButtons.end()) {
        if (custom->second.control)
            custom->second.control->destroyWindow();
        m_customButtons.erase(custom);
    }
    removeAction(action);
    if (qobject_cast<QWidgetAction*>(action)) {
        // A custom button's host; later, since the click that deleted it may be running in it.
        action->deleteLater();
    }
    // Other actions stay with the bar (the framework's tool bar keeps its buttons' actions).
    m_records.erase(m_records.begin() + index);
    std::map<int, CustomButtonRecord> moved;
    for (auto& [at, record] : m_customButtons)
        moved.emplace(at > index ? at - 1 : at, std::move(record));
    m_customButtons = std::move(moved);
    if (m_selectedButton == index)
        m_selectedButton = -1;
    else if (m_selectedButton > index)
        --m_selectedButton;
    if (m_insertionIndex == index)
        m_insertionIndex = -1;
    else if (m_insertionIndex > index)
        --m_insertionIndex;

    // No plain separator is left at either end of the bar.
    auto plainSeparator = [this](int at) {
        const ButtonRecord* record = GetButton(at);
        return record && (record->style & TBSTYLE_SEP) != 0 && !m_customButtons.count(at);
    };
    const bool wasInternal = m_internalChange;
    m_internalChange = true;
    if (index == GetButtonCount() && plainSeparator(index - 1))
        DeleteButton(index - 1);
    if (index == 0 && plainSeparator(0))
        DeleteButton(0);
    m_internalChange = wasInternal;
    arrangeButtons();
    UpdateLayout(true, true);
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
    // The custom buttons between the two indices shift one towards from; the moved one goes to
    // to.
    std::map<int, CustomButtonRecord> moved;
    for (auto& [at, custom] : m_customButtons) {
        int index = at;
        if (at == from)
            index = to;
        else if (from < at && at <= to)
            --index;
        else if (to <= at && at < from)
            ++index;
        moved.emplace(index, std::move(custom));
    }
    m_customButtons = std::move(moved);
    watchButtons();
    PlaceCustomButtons(std::min(from, to), std::max(from, to));
    if (m_customButtons.count(to))
        UpdateLayout(false, true);
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
    for (auto& [index, custom] : m_customButtons)
        if (custom.control)
            custom.control->setCustomizationMode(on);
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
    for (int at : {previous, index})
        if (QAction* action = actionAt(at))
            if (auto* host = dynamic_cast<CustomButtonHost*>(widgetForAction(action)))
                host->setSelected(at == index);
    placeSelectionFrame();
    update();
    notifyOwner(kSelectionChanged, 0);
    return previous;
}

std::vector<COXCoolToolBar::MenuItem> COXCoolToolBar::contextMenuItems(int index) const
{
    const ButtonRecord* record = GetButton(index);
    if (!record)
        return {};
    // A separator that hosts a control counts as a button.
    auto isSeparator = [this](int i) {
        const ButtonRecord* r = GetButton(i);
        return r && (r->style & TBSTYLE_SEP) != 0 && !m_customButtons.count(i);
    };
    const bool plainButton = (record->style & TBSTYLE_SEP) == 0 && !m_customButtons.count(index);
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

namespace {

// The images of cx x cy side by side in a bitmap, the mask colour transparent; nothing when the
// size does not fit the bitmap.
std::optional<COXCoolToolBar::ImageList> cutImages(const QImage& bitmap, int cx, int cy,
                                                   platform::framework::COLORREF mask)
{
    if (bitmap.isNull() || cx <= 0 || cy <= 0 || cx > bitmap.width() || cy > bitmap.height())
        return std::nullopt;
    COXCoolToolBar::ImageList images;
    for (int x = 0; x + cx <= bitmap.width(); x += cx) {
        QPixmap image = QPixmap::fromImage(bitmap.copy(x, 0, cx, cy));
        if (mask != COXCoolToolBar::CLR_NONE)
            image.setMask(
                image.createMaskFromColor(toolkit::widgets::toQColor(mask), Qt::MaskInColor));
        images.push_back(std::move(image));
    }
    return images;
}

} // namespace

const COXCoolToolBar::ImageList* COXCoolToolBar::LoadImageList(unsigned resourceId, int cx, int,
                                                               platform::framework::COLORREF mask,
                                                               unsigned, unsigned)
{
    if (const auto found = m_imageLists.find(resourceId); found != m_imageLists.end())
        return &found->second;
    const QImage bitmap = toolkit::widgets::loadBitmapResource(resourceId);
    auto images = cutImages(bitmap, cx, bitmap.height(), mask);
    if (!images)
        return nullptr;
    return &m_imageLists.emplace(resourceId, std::move(*images)).first->second;
}

const COXCoolToolBar::ImageList* COXCoolToolBar::CreateImageList(unsigned bitmapId, int cx, int cy,
                                                                 unsigned, int, int,
                                                                 platform::framework::COLORREF mask)
{
    if (const auto found = m_imageLists.find(bitmapId); found != m_imageLists.end())
        return &found->second;
    auto images = cutImages(LoadBitmap(bitmapId), cx, cy, mask);
    if (!images)
        return nullptr;
    return &m_imageLists.emplace(bitmapId, std::move(*images)).first->second;
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
    if (indent >= 0) {
        m_indent = indent;
        UpdateLayout(true, true);
    }
}

void COXCoolToolBar::SetButtonsMinMaxWidth(int minWidth, int maxWidth)
{
    m_minButtonsWidth = minWidth;
    m_maxButtonsWidth = maxWidth;
    applyButtonLooks();
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
        if (const auto custom = m_customButtons.find(i); custom != m_customButtons.end()) {
            // A hosted control follows its command's update handler; without one it is left as
            // it is (a control needs no command of its own to be usable).
            platform::framework::CmdUI ui(custom->second.controlId);
            target->OnCmdMsg(custom->second.controlId, &ui);
            if (ui.handled && ui.enabled()) {
                EnableButton(i, *ui.enabled());
                if (custom->second.control)
                    if (QWidget* control = custom->second.control->window())
                        control->setEnabled(*ui.enabled());
            }
            continue;
        }
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
    if (handled && !isHidden()) {
        const uint8_t work = std::exchange(m_idleWork, 0);
        if ((work & 1) != 0)
            UpdateLayout(true, true);
        if ((work & 2) != 0)
            PlaceCustomButtons();
        OnUpdateCmdUI();
    }
    return 0;
}

COXCoolToolBar* COXCoolToolBar::Create(QMainWindow* parent, uint32_t style, unsigned id,
                                       std::function<CommandTarget*()> route)
{
    const ToolBarResource* resource = platform::framework::Resources::instance().toolBar(id);
    if (!resource || !parent)
        return nullptr;
    auto* bar = new COXCoolToolBar(*resource, std::move(route), parent);
    bar->setImages(bar->LoadBitmap(id), toolkit::widgets::loadHighDensityBitmapResource(id));
    // The controls are the new ones: flat, drop-down arrows on.
    bar->m_flat = true;
    bar->m_dropDownArrow = true;
    bar->setFloatable(true);
    bar->setMovable(true);
    parent->addToolBar(Qt::TopToolBarArea, bar);
    bar->setVisible((style & WS_VISIBLE) != 0);
    return bar;
}

void COXCoolToolBar::setImages(const QImage& strip, const QImage& highDensityStrip)
{
    const QSize imageSize(16, 15);
    // The images are cut once: the buttons share the icons the bar keeps.
    m_images = stripIcons(strip, imageSize, highDensityStrip);
    setIcons(m_images);
}

QIcon COXCoolToolBar::imageAt(int image) const
{
    return image >= 0 && static_cast<std::size_t>(image) < m_images.size()
               ? m_images[static_cast<std::size_t>(image)]
               : QIcon();
}

void COXCoolToolBar::runCommand(unsigned id)
{
    if (CommandTarget* target = m_route ? m_route() : nullptr)
        platform::framework::executeCommand(*target, id);
}

int COXCoolToolBar::RegisterCustomButton(const CustomButtonRecord& record)
{
    auto& registry = customRegistry();
    const int existing = FindCustomButton(record.controlId);
    if (existing >= 0)
        return UpdateCustomButton(existing, record) ? existing : -1;
    registry.records[record.controlId] = record;
    registry.ids.push_back(record.controlId);
    return static_cast<int>(registry.ids.size()) - 1;
}

bool COXCoolToolBar::UpdateCustomButton(int registration, const CustomButtonRecord& record)
{
    auto& registry = customRegistry();
    if (registration < 0 || static_cast<std::size_t>(registration) >= registry.ids.size())
        return false;
    const unsigned controlId = registry.ids[static_cast<std::size_t>(registration)];
    auto update = [&record](CustomButtonRecord& target) {
        target.width = record.width;
        target.height = record.height;
        target.displayFlags = record.displayFlags;
        target.imageWhenHidden = record.imageWhenHidden;
    };
    if (record.controlId == controlId)
        update(registry.records[controlId]);
    for (COXCoolToolBar* bar : registry.bars) {
        bool hosts = false;
        for (auto& [index, custom] : bar->m_customButtons) {
            if (custom.controlId == controlId) {
                update(custom);
                hosts = true;
            }
        }
        if (hosts)
            bar->UpdateLayout(true, true);
    }
    return true;
}

int COXCoolToolBar::FindCustomButton(unsigned controlId)
{
    const auto& ids = customRegistry().ids;
    const auto found = std::find(ids.begin(), ids.end(), controlId);
    return found == ids.end() ? -1 : static_cast<int>(found - ids.begin());
}

int COXCoolToolBar::FindCustomButton(const QWidget* window)
{
    if (!window)
        return -1;
    for (const auto& [controlId, record] : customRegistry().records)
        if (record.control && record.control->window() == window)
            return FindCustomButton(controlId);
    for (COXCoolToolBar* bar : customRegistry().bars)
        for (const auto& [index, record] : bar->m_customButtons)
            if (record.control && record.control->window() == window)
                return FindCustomButton(record.controlId);
    return -1;
}

std::optional<CustomButtonRecord> COXCoolToolBar::customButtonRegistration(int registration)
{
    const auto& registry = customRegistry();
    if (registration < 0 || static_cast<std::size_t>(registration) >= registry.ids.size())
        return std::nullopt;
    return registry.records.at(registry.ids[static_cast<std::size_t>(registration)]);
}

int COXCoolToolBar::customButtonRegistrationCount()
{
    return static_cast<int>(customRegistry().ids.size());
}

void COXCoolToolBar::resetCustomButtons()
{
    customRegistry().records.clear();
    customRegistry().ids.clear();
}

int COXCoolToolBar::FindCustomButtonIndex(unsigned controlId) const
{
    for (const auto& [index, record] : m_customButtons)
        if (record.controlId == controlId)
            return index;
    return -1;
}

bool COXCoolToolBar::HasCustomButton(unsigned controlId) const
{
    return FindCustomButtonIndex(controlId) >= 0;
}

const CustomButtonRecord* COXCoolToolBar::GetCustomButton(int index) const
{
    const auto found = m_customButtons.find(index);
    return found == m_customButtons.end() ? nullptr : &found->second;
}

bool COXCoolToolBar::createCustomControl(int index, int registration, uint32_t style,
                                         const QString& extra, const QString& windowClass,
                                         const QString& text)
{
    auto& registry = customRegistry();
    CustomButtonRecord& source =
        registry.records[registry.ids[static_cast<std::size_t>(registration)]];
    CustomButtonRecord record = source;
    if (source.control && source.control->window()) {
        // Placed elsewhere already: this bar gets a copy.
        record.control = source.control->copyFor(this);
        if (!record.control || !record.control->window())
            return false;
    } else if (!source.control ||
               !source.control->create(source.controlId, this, style, extra, windowClass, text) ||
               !source.control->window()) {
        return false;
    }
    const std::shared_ptr<CustomButtonControl> control = record.control;
    if (putBackCustomButton(index, std::move(record)))
        return true;
    control->destroyWindow();
    return false;
}

bool COXCoolToolBar::putBackCustomButton(int index, CustomButtonRecord record)
{
    // The separator that hosts the control, and the host in place of its action.
    if (!record.control || !record.control->window() || index < 0 || index > GetButtonCount())
        return false;
    ButtonRecord separator;
    separator.style = TBSTYLE_SEP;
    separator.image = -1;
    separator.state = 0;
    const bool wasInternal = std::exchange(m_internalChange, true);
    InsertButton(index, separator);
    QAction* plain = actionAt(index);
    auto* host = new CustomButtonHost(this);
    auto* action = new QWidgetAction(this);
    action->setDefaultWidget(host);
    insertAction(plain, action);
    removeAction(plain);
    delete plain;
    host->setControl(record.control->window());
    const unsigned controlId = record.controlId;
    QObject::connect(host->button(), &QToolButton::clicked, this,
                     [this, controlId]() { runCommand(controlId); });
    record.control->setCustomizationMode(m_customizationMode);
    m_customButtons[index] = std::move(record);
    watchButtons();
    m_internalChange = wasInternal;
    UpdateLayout(true, true);
    return true;
}

std::optional<CustomButtonRecord> COXCoolToolBar::takeCustomButton(int index)
{
    const auto found = m_customButtons.find(index);
    if (found == m_customButtons.end())
        return std::nullopt;
    CustomButtonRecord record = std::move(found->second);
    m_customButtons.erase(found);
    if (QAction* action = actionAt(index))
        if (auto* host = dynamic_cast<CustomButtonHost*>(widgetForAction(action)))
            host->releaseControl(this);
    const bool wasInternal = std::exchange(m_internalChange, true);
    DeleteButton(index);
    m_internalChange = wasInternal;
    return record;
}

bool COXCoolToolBar::InsertCustomButton(int index, int registration, uint32_t style,
                                        const QString& extra, const QString& windowClass,
                                        const QString& text)
{
    if (index < 0 || index > GetButtonCount() || registration < 0 ||
        registration >= customButtonRegistrationCount())
        return false;
    return createCustomControl(index, registration, style, extra, windowClass, text);
}

bool COXCoolToolBar::InsertComboBox(int index, int registration, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("ComboBox"));
}

bool COXCoolToolBar::InsertEdit(int index, int registration, const QString& text, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("Edit"), text);
}

bool COXCoolToolBar::InsertRichEdit(int index, int registration, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("RICHEDIT"));
}

bool COXCoolToolBar::InsertStatic(int index, int registration, const QString& text, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("Static"), text);
}

bool COXCoolToolBar::InsertHotKey(int index, int registration, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("msctls_hotkey32"));
}

bool COXCoolToolBar::InsertButton(int index, int registration, const QString& text, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("Button"), text);
}

bool COXCoolToolBar::InsertProgress(int index, int registration, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("msctls_progress32"));
}

bool COXCoolToolBar::InsertSlider(int index, int registration, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("msctls_trackbar32"));
}

bool COXCoolToolBar::InsertDateTimePicker(int index, int registration, const QString& format,
                                          uint32_t style)
{
    return InsertCustomButton(index, registration, style, format,
                              QStringLiteral("SysDateTimePick32"));
}

bool COXCoolToolBar::InsertIPAddress(int index, int registration, uint32_t style)
{
    return InsertCustomButton(index, registration, style, {}, QStringLiteral("SysIPAddress32"));
}

QRect COXCoolToolBar::customControlRect(const QRect& item, int height)
{
    QRect rect = item.adjusted(2, 0, -2, 0);
    if (height > 0 && height < item.height()) {
        rect.setTop(item.top() + (item.height() - height) / 2);
        rect.setHeight(height);
    }
    return rect;
}

void COXCoolToolBar::placeCustomButton(int index)
{
    const auto found = m_customButtons.find(index);
    QAction* action = actionAt(index);
    auto* host = action ? dynamic_cast<CustomButtonHost*>(widgetForAction(action)) : nullptr;
    if (found == m_customButtons.end() || !host)
        return;
    const CustomButtonRecord& custom = found->second;
    ButtonRecord& record = m_records[static_cast<std::size_t>(index)];
    record.commandId = custom.controlId;
    if (custom.shownOn(isFloating(), orientation() == Qt::Horizontal)) {
        record.style = TBSTYLE_SEP;
        record.image = clampExtent(custom.width);
        host->showControl(clampExtent(custom.width), clampExtent(custom.height));
    } else {
        // A plain button of the control's id showing the image when hidden, sized to it.
        record.style = TBSTYLE_AUTOSIZE;
        record.image = custom.imageWhenHidden;
        host->showImage(imageAt(custom.imageWhenHidden), iconSize());
    }
}

void COXCoolToolBar::PlaceCustomButtons(int first, int last)
{
    if (last < 0)
        last = GetButtonCount() - 1;
    for (const auto& [index, record] : m_customButtons)
        if (index >= first && index <= last)
            placeCustomButton(index);
}

void COXCoolToolBar::UpdateLayout(bool recalc, bool redraw)
{
    if (m_internalChange)
        return;
    PlaceCustomButtons();
    arrangeButtons();
    if (isHidden())
        return;
    if (recalc) {
        if (QLayout* own = layout())
            own->invalidate();
        updateGeometry();
    }
    if (recalc || redraw)
        update();
    else
        repaint();
}

void COXCoolToolBar::SetGripper(bool gripper)
{
    m_gripper = gripper;
    UpdateLayout(true, true);
}

void COXCoolToolBar::SetSeparator(bool separator)
{
    m_separatorDrawn = separator;
    UpdateLayout(false, true);
}

void COXCoolToolBar::SetFlat(bool flat)
{
    m_flat = flat;
    applyButtonLooks();
    UpdateLayout(true, true);
}

void COXCoolToolBar::SetDropDownArrow(bool on)
{
    m_dropDownArrow = on;
    applyButtonLooks();
}

void COXCoolToolBar::SetDefaultTextColor(platform::framework::COLORREF color)
{
    m_defaultTextColor = color;
    applyButtonLooks();
}

void COXCoolToolBar::SetHotTextColor(platform::framework::COLORREF color)
{
    m_hotTextColor = color;
    applyButtonLooks();
}

void COXCoolToolBar::SetIcon(const QIcon& icon)
{
    m_icon = icon;
    UpdateLayout(true, true);
}

int COXCoolToolBar::leadingExtent() const
{
    const int extent = toolkit::widgets::barlayout::leadingExtent(
        !m_icon.isNull(), m_flat, m_gripper, isFloating(), m_indent);
    // A floating bar is moved by the style's handle, which stands for a floating frame's caption.
    return isFloating()
               ? extent + QApplication::style()->pixelMetric(QStyle::PM_ToolBarHandleExtent)
               : extent;
}

void COXCoolToolBar::setCustomDrawForward(std::function<void(CustomDraw&)> forward)
{
    m_customDrawForward = std::move(forward);
}

void COXCoolToolBar::forwardCustomDraw(CustomDraw& draw)
{
    if (m_customDrawForward)
        m_customDrawForward(draw);
}

void COXCoolToolBar::paintEvent(QPaintEvent* event)
{
    CustomDraw draw;
    forwardCustomDraw(draw);
    m_ownParts = draw.doDefault;
    ToolBar::paintEvent(event);
}

Qt::DropAction COXCoolToolBar::OnDragEnter(const DragRecord& record)
{
    m_dragging = true;
    return OnDragOver(record);
}

Qt::DropAction COXCoolToolBar::OnDragOver(const DragRecord&)
{
    return Qt::IgnoreAction;
}

void COXCoolToolBar::OnDragLeave()
{
    // No insert mark is shown while nothing can be dropped.
    m_dragging = false;
}

Qt::DropAction COXCoolToolBar::OnDrop(const DragRecord&)
{
    m_dragging = false;
    return Qt::IgnoreAction;
}

namespace {

COXCoolToolBar::DragRecord dragRecord(const QDropEvent* event)
{
    return {event->position().toPoint(), event->modifiers(), event->possibleActions(),
            event->mimeData()};
}

// Tells Qt what the bar answered: an action takes the drop there, none refuses it.
void answerDrag(QDropEvent* event, Qt::DropAction action)
{
    if (action == Qt::IgnoreAction) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

} // namespace

void COXCoolToolBar::dragEnterEvent(QDragEnterEvent* event)
{
    if (!IsCustomizable(true)) {
        ToolBar::dragEnterEvent(event);
        return;
    }
    answerDrag(event, OnDragEnter(dragRecord(event)));
    // Followed to its end even when nothing can be dropped, so that leaving clears the flag.
    event->accept();
}

void COXCoolToolBar::dragMoveEvent(QDragMoveEvent* event)
{
    if (!IsCustomizable(true)) {
        ToolBar::dragMoveEvent(event);
        return;
    }
    answerDrag(event, OnDragOver(dragRecord(event)));
}

void COXCoolToolBar::dragLeaveEvent(QDragLeaveEvent* event)
{
    if (!IsCustomizable(true) && !m_dragging) {
        ToolBar::dragLeaveEvent(event);
        return;
    }
    OnDragLeave();
}

void COXCoolToolBar::dropEvent(QDropEvent* event)
{
    if (!IsCustomizable(true) && !m_dragging) {
        ToolBar::dropEvent(event);
        return;
    }
    answerDrag(event, OnDrop(dragRecord(event)));
}

void COXCoolToolBar::drawLeadingArea(QPainter& painter, const QRect& rect)
{
    QRect rest = rect;
    if (!m_icon.isNull())
        DrawIcon(painter, rest);
    if (m_flat && m_gripper)
        DrawGripper(painter, rest);
}

void COXCoolToolBar::DrawGripper(QPainter& painter, QRect& rect)
{
    namespace bl = toolkit::widgets::barlayout;
    if (isFloating())
        return;
    const bl::GripperBars bars =
        bl::gripperBars(fromQRect(rect), orientation() == Qt::Horizontal, true);
    const QColor light = toolkit::widgets::toQColor(
        toolkit::widgets::GetSysColor(toolkit::widgets::COLOR_BTNHIGHLIGHT));
    const QColor shadow = toolkit::widgets::toQColor(
        toolkit::widgets::GetSysColor(toolkit::widgets::COLOR_BTNSHADOW));
    draw3dRect(painter, toQRect(bars.first), light, shadow);
    draw3dRect(painter, toQRect(bars.second), light, shadow);
    rect = toQRect(bars.rest);
}

void COXCoolToolBar::DrawSeparator(QPainter& painter, const QRect& rect)
{
    namespace bl = toolkit::widgets::barlayout;
    // A line down a separator taller than wide (between buttons of a row), else across it (the
    // gap below a row that the separator ends). Separators 9 pixels and wider hold controls:
    // no line.
    const auto line = bl::separatorLine(fromQRect(rect), rect.height() > rect.width());
    if (!line)
        return;
    const QColor light = toolkit::widgets::toQColor(
        toolkit::widgets::GetSysColor(toolkit::widgets::COLOR_BTNHIGHLIGHT));
    const QColor shadow = toolkit::widgets::toQColor(
        toolkit::widgets::GetSysColor(toolkit::widgets::COLOR_BTNSHADOW));
    draw3dRect(painter, toQRect(*line), shadow, light);
}

void COXCoolToolBar::DrawIcon(QPainter& painter, QRect& rect)
{
    namespace bl = toolkit::widgets::barlayout;
    const bl::IconPlace place = bl::iconPlace(fromQRect(rect), orientation() == Qt::Horizontal);
    m_iconRect = toQRect(place.icon);
    m_icon.paint(&painter, m_iconRect);
    rect = toQRect(place.rest);
}

void COXCoolToolBar::DrawSelectedButtonFrame(QPainter& painter, const QRect& rect)
{
    // A drag rectangle 2 pixels wide.
    QPen pen(palette().color(QPalette::WindowText), 2, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect.adjusted(1, 1, -1, -1));
}

void COXCoolToolBar::placeSelectionFrame()
{
    QAction* action = actionAt(m_selectedButton);
    QWidget* button = action ? widgetForAction(action) : nullptr;
    // A custom button draws its own frame.
    if (!button || dynamic_cast<CustomButtonHost*>(button) || button->isHidden() || !m_ownParts) {
        m_selectionFrame->hide();
        return;
    }
    m_selectionFrame->setGeometry(button->geometry());
    m_selectionFrame->raise();
    m_selectionFrame->show();
    m_selectionFrame->update();
}

void COXCoolToolBar::applyTextColor(QWidget* button, bool hot)
{
    const auto system = toolkit::widgets::GetSysColor(toolkit::widgets::COLOR_BTNTEXT);
    CustomDraw draw;
    draw.stage = CDDS_ITEMPREPAINT;
    draw.index = indexOfWidget(button);
    draw.hot = hot;
    forwardCustomDraw(draw);
    if (!draw.doDefault)
        return; // the frame colours the button
    // A flat bar shows the default colour when it is not the system's, and the hot colour
    // under the mouse when it is not the default one.
    std::optional<platform::framework::COLORREF> color;
    if (m_flat && m_defaultTextColor != system)
        color = m_defaultTextColor;
    if (m_flat && hot && m_hotTextColor != m_defaultTextColor)
        color = m_hotTextColor;
    QPalette palette = button->palette();
    const QColor wanted =
        color ? toolkit::widgets::toQColor(*color) : this->palette().color(QPalette::ButtonText);
    if (palette.color(QPalette::ButtonText) != wanted) {
        palette.setColor(QPalette::ButtonText, wanted);
        button->setPalette(palette);
    }
}

void COXCoolToolBar::applyButtonLooks()
{
    // Button widths: -1 leaves a limit unset; any other value from the profile is kept within
    // what a widget takes.
    const int minWidth = std::clamp(m_minButtonsWidth, 0, 32767);
    const int maxWidth =
        m_maxButtonsWidth <= 0 ? QWIDGETSIZE_MAX : std::clamp(m_maxButtonsWidth, minWidth, 32767);
    const QList<QAction*> all = actions();
    for (int i = 0; i < all.size() && i < GetButtonCount(); ++i) {
        auto* button = qobject_cast<QToolButton*>(widgetForAction(all[i]));
        if (!button)
            continue;
        button->setMinimumWidth(minWidth);
        button->setMaximumWidth(maxWidth);
        applyTextColor(button, button->underMouse());
        // A drop-down button shows its arrow while the arrows are on.
        const bool dropDown = (m_records[static_cast<std::size_t>(i)].style &
                               toolkit::widgets::barlayout::TBSTYLE_DROPDOWN) != 0;
        const QToolButton::ToolButtonPopupMode mode =
            dropDown && m_dropDownArrow ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup;
        if (button->popupMode() != mode)
            button->setPopupMode(mode);
    }
    arrangeButtons();
}

int COXCoolToolBar::sizingEdges(const QPoint& pos) const
{
    if (!isFloating())
        return 0;
    int edges = 0;
    if (pos.x() >= width() - kSizingEdge)
        edges |= 1;
    if (pos.y() >= height() - kSizingEdge)
        edges |= 2;
    return edges;
}

bool COXCoolToolBar::sizeByMouse(QEvent* event)
{
    // A floating bar is sized by its right and bottom edges; its buttons wrap for the size.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int edges = sizingEdges(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || edges == 0)
            return false;
        m_sizingEdges = edges;
        m_sizingStart = mouse->globalPosition().toPoint();
        m_sizingFrom = size();
        return true;
    }
    case QEvent::MouseMove: {
        if (m_sizingEdges == 0)
            return false;
        const QPoint moved =
            static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_sizingStart;
        QSize wanted = m_sizingFrom;
        if ((m_sizingEdges & 1) != 0)
            wanted.setWidth(std::max(m_sizingFrom.width() + moved.x(), 1));
        if ((m_sizingEdges & 2) != 0)
            wanted.setHeight(std::max(m_sizingFrom.height() + moved.y(), 1));
        if (wanted != size())
            resize(wanted);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_sizingEdges == 0)
            return false;
        m_sizingEdges = 0;
        return true;
    default:
        return false;
    }
}

bool COXCoolToolBar::event(QEvent* event)
{
    if (sizeByMouse(event))
        return true;
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::FontChange:
        // The settings changed: measure the arrow again and lay out without a redraw.
        m_arrowWidth = QApplication::style()->pixelMetric(QStyle::PM_MenuButtonIndicator);
        if (QLayout* own = layout())
            own->invalidate();
        break;
    default:
        break;
    }
    const bool handled = ToolBar::event(event);
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::LayoutRequest:
    case QEvent::ParentChange:
    case QEvent::Show:
        // Measured again: a button may have changed its size, or the bar its state.
        arrangeButtons();
        break;
    case QEvent::Resize:
        if (isFloating())
            fitFloatingBar();
        break;
    case QEvent::HoverMove: {
        // The sizing edges of a floating bar show their cursors.
        const int edges = sizingEdges(static_cast<QHoverEvent*>(event)->position().toPoint());
        if (edges != 0)
            setCursor(edges == 3   ? Qt::SizeFDiagCursor
                      : edges == 1 ? Qt::SizeHorCursor
                                   : Qt::SizeVerCursor);
        break;
    }
    default:
        break;
    }
    return handled;
}

QWidget* COXCoolToolBar::widgetForAction(QAction* action) const
{
    const auto found = m_actionWidgets.find(action);
    return found == m_actionWidgets.end() ? nullptr : found->second;
}

void COXCoolToolBar::adoptButtons()
{
    // The framework's layout places its buttons in one row, or hides those past the end; the
    // bar lays its buttons out itself. That layout keeps one item, the buttons' area, which it
    // places after the handle and sizes the bar round.
    for (QAction* action : actions()) {
        QActionEvent removed(QEvent::ActionRemoved, action);
        QToolBar::actionEvent(&removed);
    }
    m_buttonArea = new ButtonArea(this);
    auto* areaAction = new QWidgetAction(this);
    areaAction->setDefaultWidget(m_buttonArea);
    m_areaAction = areaAction;
    QActionEvent added(QEvent::ActionAdded, areaAction);
    QToolBar::actionEvent(&added);
    m_buttonArea->installEventFilter(this);
    for (QAction* action : actions())
        addButtonWidget(action);
    connect(this, &QToolBar::iconSizeChanged, this, [this](const QSize& size) {
        for (const auto& [action, widget] : m_actionWidgets)
            if (auto* button = qobject_cast<QToolButton*>(widget))
                button->setIconSize(size);
        arrangeButtons();
    });
    connect(this, &QToolBar::toolButtonStyleChanged, this, [this](Qt::ToolButtonStyle style) {
        for (const auto& [action, widget] : m_actionWidgets)
            if (auto* button = qobject_cast<QToolButton*>(widget))
                button->setToolButtonStyle(style);
        arrangeButtons();
    });
}

void COXCoolToolBar::addButtonWidget(QAction* action)
{
    if (!action || m_actionWidgets.count(action))
        return;
    QWidget* widget = nullptr;
    if (auto* widgetAction = qobject_cast<QWidgetAction*>(action)) {
        widget = widgetAction->requestWidget(this);
    } else if (action->isSeparator()) {
        widget = new BarSeparator(this);
    } else {
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(iconSize());
        button->setToolButtonStyle(toolButtonStyle());
        button->setDefaultAction(action);
        connect(button, &QToolButton::triggered, this, &QToolBar::actionTriggered);
        widget = button;
    }
    if (widget)
        m_actionWidgets.emplace(action, widget);
}

void COXCoolToolBar::removeButtonWidget(QAction* action)
{
    const auto found = m_actionWidgets.find(action);
    if (found == m_actionWidgets.end())
        return;
    QWidget* widget = found->second;
    m_actionWidgets.erase(found);
    if (auto* widgetAction = qobject_cast<QWidgetAction*>(action)) {
        widgetAction->releaseWidget(widget);
    } else {
        // Later: the click that removed the button may be running in it.
        widget->hide();
        widget->deleteLater();
    }
}

void COXCoolToolBar::actionEvent(QActionEvent* event)
{
    QAction* action = event->action();
    switch (event->type()) {
    case QEvent::ActionAdded:
        addButtonWidget(action);
        break;
    case QEvent::ActionRemoved:
        removeButtonWidget(action);
        break;
    default:
        break;
    }
    // While an insert or a delete has the actions and the records out of step this waits for
    // the bar's own layout step.
    arrangeButtons();
}

std::vector<toolkit::widgets::barlayout::Button> COXCoolToolBar::layoutButtons() const
{
    namespace bl = toolkit::widgets::barlayout;
    std::vector<bl::Button> buttons;
    const QList<QAction*> all = actions();
    if (static_cast<std::size_t>(all.size()) != m_records.size())
        return buttons;
    for (int i = 0; i < all.size(); ++i) {
        const ButtonRecord& record = m_records[static_cast<std::size_t>(i)];
        QWidget* widget = widgetForAction(all[i]);
        bl::Button button;
        button.commandId = record.commandId;
        button.image = record.image;
        button.style = record.style;
        button.state = record.state;
        if (!widget || !all[i]->isVisible())
            button.state |= TBSTATE_HIDDEN;
        const bool separator = (record.style & TBSTYLE_SEP) != 0;
        if (separator && m_customButtons.count(i)) {
            // A control on a separator: the width of its record, else the control's own.
            if (button.image <= 0 && widget)
                button.image = widget->sizeHint().width();
        } else if (separator && button.image <= 0) {
            button.image = kSeparatorWidth;
        } else if (!separator && (record.style & TBSTYLE_AUTOSIZE) != 0 && widget) {
            button.itemWidth = widget->sizeHint().width();
        }
        buttons.push_back(button);
    }
    return buttons;
}

toolkit::widgets::barlayout::Metrics COXCoolToolBar::layoutMetrics() const
{
    namespace bl = toolkit::widgets::barlayout;
    bl::Metrics metrics;
    metrics.arrowWidth = m_arrowWidth;
    metrics.dropDownArrows = m_dropDownArrow;
    metrics.flat = m_flat;
    int width = 0;
    int height = 0;
    const QList<QAction*> all = actions();
    for (int i = 0; i < all.size() && static_cast<std::size_t>(i) < m_records.size(); ++i) {
        QWidget* widget = widgetForAction(all[i]);
        const ButtonRecord& record = m_records[static_cast<std::size_t>(i)];
        if (!widget || !all[i]->isVisible() || (record.state & TBSTATE_HIDDEN) != 0)
            continue;
        const bool separator = (record.style & TBSTYLE_SEP) != 0;
        if (separator && !m_customButtons.count(i))
            continue;
        const QSize hint = widget->sizeHint();
        height = std::max(height, hint.height());
        if (separator || (record.style & TBSTYLE_AUTOSIZE) != 0)
            continue;
        // A drop-down button measures its arrow too, which the layout rules add again.
        const bool arrow = (record.style & bl::TBSTYLE_DROPDOWN) != 0 && m_dropDownArrow;
        width = std::max(width, hint.width() - (arrow ? m_arrowWidth : 0));
    }
    // Every button takes one width: the widest, within the bar's width limits.
    const int minWidth = std::clamp(m_minButtonsWidth, 0, 32767);
    const int maxWidth =
        m_maxButtonsWidth <= 0 ? 32767 : std::clamp(m_maxButtonsWidth, minWidth, 32767);
    metrics.buttonWidth = std::clamp(width > 0 ? width : metrics.buttonWidth, minWidth, maxWidth);
    if (height > 0)
        metrics.buttonHeight = std::min(height, 32767);
    return metrics;
}

QPoint COXCoolToolBar::buttonsOrigin() const
{
    return m_buttonArea ? m_buttonArea->pos() : QPoint();
}

void COXCoolToolBar::arrangeButtons()
{
    namespace bl = toolkit::widgets::barlayout;
    if (!m_buttonArea || m_arranging)
        return;
    std::vector<bl::Button> buttons = layoutButtons();
    if (buttons.size() != m_records.size())
        return;
    m_arranging = true;
    const bl::Metrics metrics = layoutMetrics();
    const bool horizontal = orientation() == Qt::Horizontal;
    // Docked along the top or the bottom in one row, at a side in one column; floating at the
    // last floating width.
    const int32_t length = isFloating() ? m_floatingWidth : horizontal ? 32767 : 0;
    bl::SizeToolBar(buttons, metrics, length, false);
    const bool empty = std::all_of(buttons.begin(), buttons.end(), [](const bl::Button& b) {
        return (b.state & bl::TBSTATE_HIDDEN) != 0;
    });
    const bl::Size size = empty ? bl::emptyBarSize(metrics, !isFloating(), horizontal)
                                : bl::CalcSize(buttons, metrics);
    const std::vector<bl::Rect> rects = bl::buttonRects(buttons, metrics);
    m_itemRects.clear();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bl::Rect& r = rects[i];
        const bool hidden = (buttons[i].state & bl::TBSTATE_HIDDEN) != 0;
        m_itemRects.push_back(hidden ? QRect()
                                     : QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
        // The records take the new wraps over.
        uint8_t& state = m_records[i].state;
        state = static_cast<uint8_t>((state & ~TBSTATE_WRAP) | (buttons[i].state & TBSTATE_WRAP));
    }
    m_buttonsSize = QSize(size.cx, size.cy);
    static_cast<ButtonArea*>(m_buttonArea)
        ->setSizes(m_buttonsSize, QSize(std::min(metrics.buttonWidth, size.cx),
                                        std::min(metrics.buttonHeight, size.cy)));
    m_arranging = false;
    placeButtons();
}

void COXCoolToolBar::placeButtons()
{
    const QList<QAction*> all = actions();
    if (!m_buttonArea || m_placing || static_cast<std::size_t>(all.size()) != m_itemRects.size())
        return;
    m_placing = true;
    const QPoint origin = m_buttonArea->pos();
    for (int i = 0; i < all.size(); ++i) {
        QWidget* widget = widgetForAction(all[i]);
        if (!widget)
            continue;
        const QRect& rect = m_itemRects[static_cast<std::size_t>(i)];
        if (rect.isNull()) {
            if (!widget->isHidden())
                widget->hide();
            continue;
        }
        if (widget->geometry() != rect.translated(origin))
            widget->setGeometry(rect.translated(origin));
        if (widget->isHidden())
            widget->show();
    }
    m_placing = false;
    if (m_selectedButton >= 0)
        placeSelectionFrame();
}

void COXCoolToolBar::fitFloatingBar()
{
    namespace bl = toolkit::widgets::barlayout;
    if (!m_buttonArea || m_fitting || m_arranging || !layout())
        return;
    const QMargins margins = layout()->contentsMargins();
    const QPoint origin = m_buttonArea->pos();
    const int width = this->width() - origin.x() - margins.right();
    const int height = this->height() - origin.y() - margins.bottom();
    if (width == m_buttonsSize.width() && height == m_buttonsSize.height())
        return;
    std::vector<bl::Button> buttons = layoutButtons();
    if (buttons.size() != m_records.size())
        return;
    m_fitting = true;
    const bl::Metrics metrics = layoutMetrics();
    // A new width wraps the bar for it; a new height alone for the narrowest width whose rows
    // fill it.
    if (width != m_buttonsSize.width())
        bl::SizeToolBar(buttons, metrics, std::max(width, 0), false);
    else
        bl::SizeToolBar(buttons, metrics, std::max(height, 0), true);
    m_floatingWidth = std::max(bl::CalcSize(buttons, metrics).cx, 1);
    arrangeButtons();
    // The bar takes the size of its rows.
    if (QLayout* own = layout())
        own->invalidate();
    const QSize fitted = sizeHint();
    if (fitted.isValid() && fitted != size())
        resize(fitted);
    m_fitting = false;
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
        std::vector<uint32_t> orderIds;
        for (int i = 0; i < GetButtonCount(); ++i) {
            const ButtonRecord& record = m_records[static_cast<std::size_t>(i)];
            barstate::ButtonSetting setting;
            setting.commandId = record.commandId;
            setting.image = record.image;
            setting.style = record.style;
            setting.textShown = !record.text.empty();
            setting.text = setting.textShown ? record.text : hiddenText(record.commandId);
            settings.push_back(std::move(setting));
            // Custom buttons come back through their positions, not the order.
            if (!m_customButtons.count(i))
                orderIds.push_back(record.commandId);
        }
        barstate::putU32(order, static_cast<uint32_t>(orderIds.size()));
        for (uint32_t id : orderIds)
            barstate::putU32(order, id);
        std::vector<barstate::CustomButtonPosition> positions;
        for (const auto& [index, custom] : m_customButtons)
            positions.push_back({index, custom.controlId});
        written = writeBinary(sectionName, barName + "_ButtonsSettings",
                              barstate::encodeButtonsSettings(settings)) &&
                  written;
        written = writeBinary(sectionName, barName + "_CustomButtonsPositions",
                              barstate::encodePositions(positions)) &&
                  written;
        // The button order: a count and the command ids in bar order (u32 little-endian each),
        // custom buttons left out.
        written = profile::WriteProfileBinary(sectionName, barName, order) && written;
    }

    if (!g_customSettingsWritten) {
        std::vector<barstate::CustomButtonSetting> entries;
        const auto& registry = customRegistry();
        for (unsigned controlId : registry.ids) {
            const CustomButtonRecord& record = registry.records.at(controlId);
            barstate::CustomButtonSetting entry;
            entry.controlId = controlId;
            entry.width = record.width;
            entry.height = record.height;
            entry.displayFlags = record.displayFlags;
            entry.imageWhenHidden = record.imageWhenHidden;
            if (record.control)
                record.control->saveState(entry.controlState);
            entries.push_back(std::move(entry));
        }
        written = writeBinary(sectionName, kCustomSettings,
                              barstate::encodeCustomButtonsSettings(entries)) &&
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

void COXCoolToolBar::loadCustomButtonsSettings(const std::string& section)
{
    const auto value = readBinary(section, kCustomSettings);
    if (!value)
        return;
    // A control's state is measured by its own object; a control id without one has none.
    auto& registry = customRegistry();
    const auto entries = barstate::decodeCustomButtonsSettings(
        value->first, value->second,
        [&registry](uint32_t controlId,
                    std::span<const uint8_t> rest) -> std::optional<std::size_t> {
            const auto found = registry.records.find(controlId);
            if (found == registry.records.end() || !found->second.control)
                return 0;
            return found->second.control->stateSize(rest);
        });
    if (!entries)
        return;
    for (const barstate::CustomButtonSetting& entry : *entries) {
        CustomButtonRecord record;
        if (const auto found = registry.records.find(entry.controlId);
            found != registry.records.end())
            record = found->second;
        record.controlId = entry.controlId;
        record.width = entry.width;
        record.height = entry.height;
        record.displayFlags = entry.displayFlags;
        record.imageWhenHidden = entry.imageWhenHidden;
        if (record.control)
            record.control->loadState(entry.controlState);
        RegisterCustomButton(record);
    }
}

bool COXCoolToolBar::LoadBarState(const char* section, const char* name, bool properties)
{
    const std::string sectionName = section ? section : "";
    const std::string barName = name ? name : "";
    if (properties)
        loadProperties(sectionName + "_" + barName);

    if (!g_customSettingsRead) {
        g_customSettingsRead = true;
        loadCustomButtonsSettings(sectionName);
    }

    if (IsCustomizable(true) || IsCustomizable(false)) {
        // The saved positions, parsed whole first; without them the custom buttons go back
        // where they are now.
        std::vector<barstate::CustomButtonPosition> positions;
        bool fromProfile = false;
        if (const auto value = readBinary(sectionName, barName + "_CustomButtonsPositions");
            value && value->second > 0) {
            if (auto decoded = barstate::decodePositions(value->first, value->second)) {
                positions = std::move(*decoded);
                fromProfile = true;
            }
        }
        if (!fromProfile)
            for (const auto& [index, custom] : m_customButtons)
                positions.push_back({index, custom.controlId});
        // Every custom button off, from the last to the first, kept aside by its control id;
        // one that is to be made again loses its control.
        std::map<unsigned, CustomButtonRecord> keptAside;
        while (!m_customButtons.empty()) {
            auto record = takeCustomButton(m_customButtons.rbegin()->first);
            if (fromProfile && record->control && record->control->recreateOnLoad()) {
                record->control->destroyWindow();
                record->control.reset();
            }
            if (!keptAside.emplace(record->controlId, *record).second && record->control)
                record->control->destroyWindow();
        }

        const bool wasInternal = std::exchange(m_internalChange, true);
        if (const auto order = profile::GetProfileBinary(sectionName, barName))
            restoreButtonOrder(*order);
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
        m_internalChange = wasInternal;

        // The custom buttons at their positions: a control kept aside whose window still exists
        // goes back; otherwise one is made from the registration of its control id. A position
        // past the end of the bar, or of a control id without either, leaves no button there.
        for (const barstate::CustomButtonPosition& position : positions) {
            const auto kept = keptAside.find(position.controlId);
            if (kept != keptAside.end() && kept->second.control && kept->second.control->window()) {
                CustomButtonRecord record = std::move(kept->second);
                keptAside.erase(kept);
                const auto control = record.control;
                if (!putBackCustomButton(position.index, std::move(record)))
                    control->destroyWindow();
                continue;
            }
            const int registration = FindCustomButton(position.controlId);
            if (registration >= 0 && position.index >= 0)
                InsertCustomButton(position.index, registration, WS_CHILD | WS_VISIBLE);
        }
        for (auto& [controlId, record] : keptAside)
            if (record.control)
                record.control->destroyWindow();
    }
    // The stored text type applies to all buttons (3 keeps the texts just restored).
    SetButtonsText(0, 0xFFFF, m_textType);
    applyButtonLooks();
    UpdateLayout(true, false);

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
