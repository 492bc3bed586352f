#include "platform/qt/QtFindReplaceDialog.h"

#include "platform/qt/QtUiServices.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace platform::qt {

QtFindReplaceDialog::QtFindReplaceDialog(FindReplaceRequest request)
    : QDialog(request.owner), m_request(std::move(request))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(m_request.replace ? tr("Replace") : tr("Find"));

    auto* fields = new QGridLayout;
    m_find = new QLineEdit(QString::fromStdString(m_request.findText), this);
    auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
    findLabel->setBuddy(m_find);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_find, 0, 1);
    if (m_request.replace) {
        m_replace = new QLineEdit(this);
        auto* replaceLabel = new QLabel(tr("Re&place with:"), this);
        replaceLabel->setBuddy(m_replace);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(m_replace, 1, 1);
    }
    m_wholeWord = new QCheckBox(QString::fromStdString(m_request.wholeWordCaption), this);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    auto* direction = new QGroupBox(tr("Direction"), this);
    auto* up = new QRadioButton(tr("&Up"), direction);
    m_down = new QRadioButton(tr("&Down"), direction);
    (m_request.searchDown ? m_down : up)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up);
    directionLayout->addWidget(m_down);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addWidget(m_wholeWord);
    left->addWidget(m_matchCase);
    if (!m_request.replace) {
        left->addWidget(direction);
    } else {
        direction->hide();
    }
    auto* buttons = new QVBoxLayout;
    auto* findNext = new QPushButton(tr("&Find Next"), this);
    findNext->setDefault(true);
    buttons->addWidget(findNext);
    connect(findNext, &QPushButton::clicked, this, [this] {
        FindReplaceReport report = this->fields();
        report.findNext = true;
        send(report);
    });
    if (m_request.replace) {
        auto* replace = new QPushButton(tr("&Replace"), this);
        auto* replaceAll = new QPushButton(tr("Replace &All"), this);
        buttons->addWidget(replace);
        buttons->addWidget(replaceAll);
        connect(replace, &QPushButton::clicked, this, [this] {
            FindReplaceReport report = this->fields();
            report.replaceCurrent = true;
            report.findNext = true;
            send(report);
        });
        connect(replaceAll, &QPushButton::clicked, this, [this] {
            FindReplaceReport report = this->fields();
            report.replaceAll = true;
            send(report);
        });
    }
    auto* cancel = new QPushButton(tr("Cancel"), this);
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
}

FindReplaceReport QtFindReplaceDialog::fields() const
{
    FindReplaceReport report;
    report.findText = m_find->text().toStdString();
    report.replaceText = m_replace ? m_replace->text().toStdString() : std::string();
    report.matchCase = m_matchCase->isChecked();
    report.wholeWord = m_wholeWord->isChecked();
    report.searchDown = m_request.replace || m_down->isChecked();
    return report;
}

void QtFindReplaceDialog::send(FindReplaceReport report)
{
    if (m_request.report) {
        m_request.report(report);
    }
}

void QtFindReplaceDialog::closeSilently()
{
    m_silent = true;
    close();
}

void QtFindReplaceDialog::done(int result)
{
    if (!m_silent) {
        m_silent = true;
        FindReplaceReport report = fields();
        report.closing = true;
        send(report);
    }
    QDialog::done(result);
}

int QtUiServices::findReplaceDialog(FindReplaceRequest request)
{
    // Closed dialogs delete themselves; their guarded pointers are null by now.
    std::erase_if(m_findDialogs, [](const auto& entry) { return entry.second.isNull(); });
    auto* dialog = new QtFindReplaceDialog(std::move(request));
    const int id = ++m_lastFindDialog;
    m_findDialogs[id] = dialog;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return id;
}

void QtUiServices::activateFindReplaceDialog(int id)
{
    const auto found = m_findDialogs.find(id);
    if (found != m_findDialogs.end() && found->second) {
        found->second->raise();
        found->second->activateWindow();
    }
}

void QtUiServices::closeFindReplaceDialog(int id)
{
    const auto found = m_findDialogs.find(id);
    if (found != m_findDialogs.end() && found->second) {
        static_cast<QtFindReplaceDialog*>(found->second.data())->closeSilently();
    }
}

} // namespace platform::qt
