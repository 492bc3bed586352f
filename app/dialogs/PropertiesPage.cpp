#include "app/dialogs/PropertiesPage.h"

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/dialogs/DataExchange.h"
#include "app/dialogs/DataExchangeRules.h"
#include "app/shell/NumberText.h"
#include "platform/framework/ControlIds.h"
#include "platform/qt/UiServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace app::dialogs {

using platform::framework::setControlId;

namespace {

// Whether a path is whole UTF-8: a path that is not names no file this program can open.
bool validUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80         ? 1
                                   : (c >> 5) == 6  ? 2
                                   : (c >> 4) == 14 ? 3
                                   : (c >> 3) == 30 ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

PropertiesPage::PropertiesPage(unsigned templateId, const std::string& caption)
    : PropertyPage(templateId, caption), m_form(new QFormLayout(this))
{}

bool PropertiesPage::OnInitDialog()
{
    m_filling = true;
    for (const auto& show : m_show)
        show();
    m_filling = false;
    return true;
}

void PropertiesPage::addCheck(unsigned id, const char* label, int& value)
{
    auto* box = new QCheckBox(QString::fromUtf8(label), this);
    setControlId(box, id);
    m_form->addRow(box);
    m_show.push_back([box, &value] { box->setChecked(value != 0); });
    connect(box, &QCheckBox::clicked, this, [this, box, &value] {
        value = box->isChecked() ? 1 : 0;
        SetModified(true);
    });
}

void PropertiesPage::addCombo(unsigned id, const char* label, std::span<const char* const> items,
                              int& value)
{
    auto* box = new QComboBox(this);
    setControlId(box, id);
    fillComboBox(box, items);
    box->setCurrentIndex(-1);
    m_form->addRow(QString::fromUtf8(label), box);
    m_show.push_back(
        [box, &value] { box->setCurrentIndex(value >= 0 && value < box->count() ? value : -1); });
    connect(box, &QComboBox::currentIndexChanged, this, [this, box, &value] {
        if (m_filling || box->currentIndex() < 0)
            return;
        value = box->currentIndex();
        SetModified(true);
    });
}

void PropertiesPage::addNumber(unsigned id, const char* label, double& value, const char* format)
{
    auto* edit = new QLineEdit(this);
    setControlId(edit, id);
    m_form->addRow(QString::fromUtf8(label), edit);
    m_show.push_back([edit, &value, format] {
        edit->setText(QString::fromStdString(app::text::formatC(format, value)));
    });
    connect(edit, &QLineEdit::textChanged, this, [this, &value](const QString& text) {
        if (m_filling)
            return;
        value = readDouble(text.toStdString());
        SetModified(true);
    });
}

void PropertiesPage::addPath(unsigned id, const char* label, std::string& value, unsigned browseId,
                             const PathBrowse& browse, unsigned playId, PropertiesSheetView* view)
{
    auto* row = new QHBoxLayout;
    auto* edit = new QLineEdit(this);
    setControlId(edit, id);
    row->addWidget(edit, 1);
    m_form->addRow(QString::fromUtf8(label), row);
    m_show.push_back([edit, &value] { edit->setText(QString::fromStdString(value)); });
    // Only a change typed into this box replaces the path: a path kept in the settings is
    // written back byte for byte otherwise.
    connect(edit, &QLineEdit::textChanged, this, [this, &value](const QString& text) {
        if (m_filling)
            return;
        value = text.toStdString();
        SetModified(true);
    });
    if (browseId != 0) {
        auto* button = new QPushButton(QStringLiteral("..."), this);
        setControlId(button, browseId);
        button->setFixedWidth(32);
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, edit, &value, browse] {
            platform::qt::FileDialogRequest request;
            request.open = true;
            request.title = browse.title;
            for (const auto& [text, pattern] : browse.filters)
                request.filters.push_back({text, pattern});
            request.defaultExtension = browse.defaultExtension;
            request.hideReadOnly = true;
            request.overwritePrompt = true;
            request.fileMustExist = true;
            request.owner = this;
            const auto answer = platform::qt::uiServices().fileDialog(request);
            if (!answer || answer->paths.empty())
                return;
            value = answer->paths.front();
            m_filling = true;
            edit->setText(QString::fromStdString(value));
            m_filling = false;
            SetModified(true);
        });
    }
    if (playId != 0 && view != nullptr) {
        auto* button = new QPushButton(QStringLiteral(">"), this);
        setControlId(button, playId);
        button->setFixedWidth(32);
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, [view, &value] {
            if (!value.empty() && validUtf8(value))
                view->playSoundAsync(value);
        });
    }
}

} // namespace app::dialogs
