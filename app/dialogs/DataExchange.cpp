#include "app/dialogs/DataExchange.h"

#include "platform/framework/ControlIds.h"
#include "platform/qt/UiServices.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTextEdit>

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace app::dialogs {

using platform::framework::findControl;
using platform::framework::GetDlgItem;

namespace {

std::string controlText(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text().toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText().toStdString();
    if (auto* text = qobject_cast<QTextEdit*>(control))
        return text->toPlainText().toStdString();
    return control != nullptr ? control->property("text").toString().toStdString() : std::string();
}

void setControlText(QWidget* control, const std::string& value)
{
    const QString text = QString::fromStdString(value);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(text);
    else if (auto* plain = qobject_cast<QTextEdit*>(control))
        plain->setPlainText(text);
    else if (control != nullptr)
        control->setProperty("text", text);
}

} // namespace

void DataExchange::text(unsigned control, std::string& value)
{
    if (m_failed)
        return;
    QWidget* widget = GetDlgItem(m_root, control);
    if (m_save)
        value = controlText(widget);
    else
        setControlText(widget, value);
}

void DataExchange::check(unsigned control, int& value)
{
    if (m_failed)
        return;
    auto* button = findControl<QAbstractButton>(m_root, control);
    if (button == nullptr)
        return;
    if (m_save)
        value = button->isChecked() ? 1 : 0;
    else
        button->setChecked(value != 0);
}

void DataExchange::comboIndex(unsigned control, int& value)
{
    if (m_failed)
        return;
    auto* combo = findControl<QComboBox>(m_root, control);
    if (combo == nullptr)
        return;
    if (m_save)
        value = combo->currentIndex();
    else
        combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
}

void DataExchange::leadingInteger(unsigned control, long long& value)
{
    if (m_failed)
        return;
    QWidget* widget = GetDlgItem(m_root, control);
    if (m_save)
        value = readInteger(controlText(widget));
    else
        setControlText(widget, std::to_string(value));
}

void DataExchange::leadingDouble(unsigned control, double& value)
{
    if (m_failed)
        return;
    QWidget* widget = GetDlgItem(m_root, control);
    if (m_save) {
        value = readDouble(controlText(widget));
    } else {
        char text[64];
        const auto result =
            std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
        setControlText(widget, std::string(text, result.ptr));
    }
}

void DataExchange::integer(unsigned control, long long& value, const ValueRange& range)
{
    if (m_failed)
        return;
    QWidget* widget = GetDlgItem(m_root, control);
    if (!m_save) {
        setControlText(widget, std::to_string(value));
        return;
    }
    const std::optional<long long> parsed = parseInteger(controlText(widget));
    if (!parsed) {
        fail(control, integerMessage());
        return;
    }
    if (!range.contains(*parsed)) {
        fail(control, rangeMessage(range));
        return;
    }
    value = *parsed;
}

void DataExchange::integer(unsigned control, int& value, const ValueRange& range)
{
    // An int field never holds more than an int, whatever the range says.
    const ValueRange limited{std::max<long long>(range.minimum, INT32_MIN),
                             std::min<long long>(range.maximum, INT32_MAX)};
    long long wide = value;
    integer(control, wide, limited);
    if (!m_failed)
        value = static_cast<int>(wide);
}

void DataExchange::checkRange(unsigned control, long long value, const ValueRange& range)
{
    if (m_failed || !m_save)
        return;
    if (!range.contains(value))
        fail(control, rangeMessage(range));
}

void DataExchange::fail(unsigned control, const std::string& message)
{
    if (m_failed)
        return;
    m_failed = true;
    QWidget* widget = GetDlgItem(m_root, control);
    showDialogMessage(message, m_root != nullptr ? m_root->window() : nullptr);
    if (widget != nullptr) {
        widget->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->selectAll();
    }
}

void fillComboBox(QComboBox* box, std::span<const char* const> entries)
{
    if (box == nullptr)
        return;
    for (const char* entry : entries)
        box->addItem(QString::fromUtf8(entry));
}

void showDialogMessage(const std::string& text, QWidget* owner)
{
    platform::qt::uiServices().messageBox(
        text, kDialogMessageCaption, platform::qt::kMbOk | platform::qt::kMbIconWarning, owner);
}

} // namespace app::dialogs
