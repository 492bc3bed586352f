#include "gridctrl/widgets/GridQtFindDialog.h"

#include "gridctrl/model/GridControl.h"
#include "platform/qt/UiServices.h"

namespace gridctrl::widgets {

GridQtFindDialog::GridQtFindDialog(model::CGridControl& control, QWidget* owner)
    : m_control(control), m_owner(owner)
{}

GridQtFindDialog::~GridQtFindDialog()
{
    if (m_dialog != 0) {
        platform::qt::uiServices().closeFindReplaceDialog(m_dialog);
    }
}

bool GridQtFindDialog::open(bool withReplace)
{
    platform::qt::FindReplaceRequest request;
    request.replace = withReplace;
    request.searchDown = true;
    request.wholeWordCaption = kWholeCellCaption;
    request.owner = m_owner;
    request.report = [this](const platform::qt::FindReplaceReport& report) {
        model::GridFindRequest find;
        find.findText = report.findText;
        find.replaceText = report.replaceText;
        find.matchCase = report.matchCase;
        find.wholeCell = report.wholeWord;
        find.searchDown = report.searchDown;
        find.findNext = report.findNext;
        find.replaceCurrent = report.replaceCurrent;
        find.replaceAll = report.replaceAll;
        find.closing = report.closing;
        if (report.closing) {
            m_dialog = 0;
        }
        m_control.OnFindReplace(find);
    };
    m_dialog = platform::qt::uiServices().findReplaceDialog(std::move(request));
    return m_dialog != 0;
}

void GridQtFindDialog::focus()
{
    if (m_dialog != 0) {
        platform::qt::uiServices().activateFindReplaceDialog(m_dialog);
    }
}

} // namespace gridctrl::widgets
