#include "app/dialogs/PropertiesPropertySheet.h"

CPropertiesPropertySheet::CPropertiesPropertySheet(app::dialogs::PropertiesSheetView& view,
                                                   QWidget* parent)
    : PropertySheet("Harlune Settings", parent), m_view(view),
      m_settings(app::dialogs::loadPropertiesSettings(view)), m_fileSaving(m_settings),
      m_fileOpening(m_settings), m_printing(m_settings), m_sounds(m_settings, view),
      m_settingFiles(m_settings), m_misc(m_settings)
{
    AddPage(&m_fileSaving);
    AddPage(&m_fileOpening);
    AddPage(&m_printing);
    AddPage(&m_sounds);
    AddPage(&m_settingFiles);
    AddPage(&m_misc);
}

void CPropertiesPropertySheet::OnApplySteps()
{
    // Each control's change is in the working copy already; the sheet marks the pages
    // unmodified before this runs.
    app::dialogs::applyPropertiesSettings(m_settings, m_view);
}
