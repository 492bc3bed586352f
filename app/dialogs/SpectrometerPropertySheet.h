#pragma once

#include "app/dialogs/SpectrometerPropertyPageDisplayedRange.h"
#include "app/dialogs/SpectrometerPropertyPageInterface.h"
#include "app/dialogs/SpectrometerPropertyPageNonLinearity.h"
#include "app/dialogs/SpectrometerPropertyPageReference.h"
#include "app/dialogs/SpectrometerPropertyPageStrayLight.h"
#include "app/dialogs/SpectrometerPropertyPageWavelength.h"
#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/PropertySheet.h"

#include <memory>

// "Spectrometer Configuration": one spectrum window's calibration, interface, displayed
// range, reference monitoring, stray-light and linearity settings on six pages. The working
// copy is loaded from the view's configuration when the sheet is built; OK and Apply run the
// apply steps into the configuration, the driver, the view and its chart; Cancel writes
// nothing. Afterwards the caller reads hardwareChanged(). GUI thread only.
class CSpectrometerPropertySheet : public platform::framework::PropertySheet
{
public:
    // Builds the sheet on a view and loads every page from its configuration.
    static std::unique_ptr<CSpectrometerPropertySheet>
    InitFromConfiguration(app::dialogs::SpectrometerSheetView& view,
                          app::dialogs::DialogDriver& driver, QWidget* parent);

    CSpectrometerPropertySheet(app::dialogs::SpectrometerSheetView& view,
                               app::dialogs::DialogDriver& driver, QWidget* parent);

    void OnApplySteps() override;

    // 1 after an apply with the spectrometer's serial number edited or a hardware choice on
    // the A/D Interface page: the caller then switches the strobe off.
    int hardwareChanged() const { return m_hardwareChanged; }
    const app::dialogs::SpectrometerSheetSettings& settings() const { return m_settings; }

private:
    app::dialogs::SpectrometerSheetView& m_view;
    app::dialogs::DialogDriver& m_driver;
    app::dialogs::SpectrometerSheetSettings m_settings;
    int m_hardwareChanged = 0;
    CSpectrometerPropertyPageWavelength m_wavelength;
    CSpectrometerPropertyPageInterface m_interface;
    CSpectrometerPropertyPageDisplayedRange m_displayedRange;
    CSpectrometerPropertyPageReference m_reference;
    CSpectrometerPropertyPageStrayLight m_strayLight;
    CSpectrometerPropertyPageNonLinearity m_nonLinearity;
};
