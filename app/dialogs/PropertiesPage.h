#pragma once

#include "platform/framework/PropertySheet.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

class QFormLayout;
class QLineEdit;

namespace app::dialogs {

class PropertiesSheetView;

// A file browse of a path row: the open dialog's title, filters ("text|pattern|..." pairs) and
// default extension.
struct PathBrowse
{
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;
};

// A page of the properties sheet built from its controls: check boxes, combo boxes, number
// edits and path edits, each bound to one value of the sheet's working copy. A control's
// change copies that control alone into its value and marks the page modified; number edits
// read their text as atof does on every change. OnInitDialog shows the values. Path rows may
// have a "..." browse and a ">" play button. GUI thread only.
class PropertiesPage : public platform::framework::PropertyPage
{
public:
    PropertiesPage(unsigned templateId, const std::string& caption);

    bool OnInitDialog() override;

protected:
    void addCheck(unsigned id, const char* label, int& value);
    void addCombo(unsigned id, const char* label, std::span<const char* const> items, int& value);
    // A number shown with a printf format ("%.4f", "%g").
    void addNumber(unsigned id, const char* label, double& value, const char* format);
    // A path edit; browseId 0 for none, playId 0 for none (play needs the view).
    void addPath(unsigned id, const char* label, std::string& value, unsigned browseId,
                 const PathBrowse& browse, unsigned playId = 0,
                 PropertiesSheetView* view = nullptr);

private:
    QFormLayout* m_form;
    // Shows every value in its control (run by OnInitDialog).
    std::vector<std::function<void()>> m_show;
    bool m_filling = false;
};

} // namespace app::dialogs
