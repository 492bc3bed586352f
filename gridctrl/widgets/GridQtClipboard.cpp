#include "gridctrl/widgets/GridQtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace gridctrl::widgets {

bool GridQtClipboard::setText(const std::string& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        return false;
    }
    clipboard->setText(QString::fromStdString(text));
    return true;
}

std::optional<std::string> GridQtClipboard::text() const
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasText()) {
        return std::nullopt;
    }
    return data->text().toStdString();
}

} // namespace gridctrl::widgets
