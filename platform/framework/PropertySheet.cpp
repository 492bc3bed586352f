#include "platform/framework/PropertySheet.h"

#include "platform/framework/ControlIds.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace platform::framework {

PropertyPage::PropertyPage(unsigned templateId, const std::string& caption, QWidget* parent)
    : QWidget(parent), m_templateId(templateId), m_caption(caption)
{}

void PropertyPage::SetModified(bool modified)
{
    m_modified = modified;
    if (PropertySheet* owner = sheet()) {
        owner->updateApplyButton();
    }
}

PropertySheet* PropertyPage::sheet() const
{
    for (QWidget* parent = parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        if (auto* owner = dynamic_cast<PropertySheet*>(parent)) {
            return owner;
        }
    }
    return nullptr;
}

void PropertyPage::initialiseOnce()
{
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    OnInitDialog();
}

PropertySheet::PropertySheet(const std::string& caption, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(caption));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    // Every page's tab is in sight with its whole caption, as on a property sheet: the sheet
    // is made as wide as its row of tabs instead of scrolling or cutting them.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);
    layout->addWidget(m_tabs);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_apply = new QPushButton(QStringLiteral("&Apply"), this);
    setControlId(m_ok, IDOK);
    setControlId(m_cancel, IDCANCEL);
    setControlId(m_apply, ID_APPLY_NOW);
    m_ok->setDefault(true);
    m_apply->setEnabled(false);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_apply);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &PropertySheet::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &PropertySheet::pressCancel);
    connect(m_apply, &QPushButton::clicked, this, &PropertySheet::pressApply);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (PropertyPage* page = GetPage(index); page != nullptr && isVisible()) {
            page->initialiseOnce();
        }
    });
}

PropertySheet::~PropertySheet()
{
    // Pages that are members of a derived sheet are gone already; release the others from the
    // tab widget before Qt deletes its children: their owner deletes them.
    for (const QPointer<PropertyPage>& page : m_pages) {
        if (!page.isNull()) {
            page->setParent(nullptr);
        }
    }
}

void PropertySheet::AddPage(PropertyPage* page)
{
    if (page == nullptr) {
        return;
    }
    m_pages.emplace_back(page);
    m_tabs->addTab(page, QString::fromStdString(page->caption()));
    updateApplyButton();
}

PropertyPage* PropertySheet::GetPage(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_pages.size()) {
        return nullptr;
    }
    return m_pages[static_cast<size_t>(index)].data();
}

bool PropertySheet::SetActivePage(int index)
{
    if (GetPage(index) == nullptr) {
        return false;
    }
    m_tabs->setCurrentIndex(index);
    return true;
}

int PropertySheet::GetActiveIndex() const
{
    return m_tabs->currentIndex();
}

int PropertySheet::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void PropertySheet::OnApplySteps()
{
    for (const QPointer<PropertyPage>& page : m_pages) {
        if (!page.isNull()) {
            page->OnApply();
        }
    }
}

void PropertySheet::pressApply()
{
    for (const QPointer<PropertyPage>& page : m_pages) {
        if (!page.isNull()) {
            page->SetModified(false);
        }
    }
    try {
        OnApplySteps();
    } catch (...) {
        // The sheet stays open; the owner reports its own errors.
    }
    updateApplyButton();
}

void PropertySheet::pressOk()
{
    try {
        OnApplySteps();
    } catch (...) {
        return; // keep the sheet open rather than report success
    }
    accept();
}

void PropertySheet::pressCancel()
{
    reject();
}

void PropertySheet::updateApplyButton()
{
    bool modified = false;
    for (const QPointer<PropertyPage>& page : m_pages) {
        modified = modified || (!page.isNull() && page->isModified());
    }
    m_apply->setEnabled(modified);
}

void PropertySheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (PropertyPage* page = GetPage(m_tabs->currentIndex())) {
        page->initialiseOnce();
    }
}

} // namespace platform::framework
