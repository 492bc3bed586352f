#include "app/dialogs/PropertiesPropertyPageFileOpening.h"

CPropertiesPropertyPageFileOpening::CPropertiesPropertyPageFileOpening(
    app::dialogs::PropertiesSettings& s)
    : PropertiesPage(153, "File Opening")
{
    addCheck(1181, "Warn if File Without a &Header is Opened", s.NoFileHeaderWarning);
    addCheck(1182, "&Check for File Conformity", s.CheckFileConformity);
    addCheck(1180, "Insure that &Acquisition Parameters Match",
             s.AcquisitionParameterMismatchWarning);
    addNumber(1183, "Wavelength Tolerance (nm)", s.OpenFileWavelengthTolerance, "%.4f");
}
