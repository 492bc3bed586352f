#include "app/dialogs/SpectrometerPropertySheet.h"

#include <stdexcept>

using namespace app::dialogs;

namespace {

// String 121.
constexpr const char* kSpectrometerCaption = "Spectrometer Configuration";

// Thrown by the apply steps after a refused value: the sheet stays open.
class SpectrometerValueRefused : public std::runtime_error
{
public:
    SpectrometerValueRefused() : std::runtime_error("a value is outside its range") {}
};

} // namespace

std::unique_ptr<CSpectrometerPropertySheet>
CSpectrometerPropertySheet::InitFromConfiguration(SpectrometerSheetView& view, DialogDriver& driver,
                                                  QWidget* parent)
{
    return std::make_unique<CSpectrometerPropertySheet>(view, driver, parent);
}

CSpectrometerPropertySheet::CSpectrometerPropertySheet(SpectrometerSheetView& view,
                                                       DialogDriver& driver, QWidget* parent)
    : PropertySheet(kSpectrometerCaption, parent), m_view(view), m_driver(driver),
      m_settings(SpectrometerSheetSettings::load(view.sheetConfiguration())),
      m_wavelength(m_settings, driver), m_interface(m_settings, driver),
      m_displayedRange(m_settings), m_reference(m_settings), m_strayLight(m_settings),
      m_nonLinearity(m_settings)
{
    AddPage(&m_wavelength);
    AddPage(&m_interface);
    AddPage(&m_displayedRange);
    AddPage(&m_reference);
    AddPage(&m_strayLight);
    AddPage(&m_nonLinearity);
}

void CSpectrometerPropertySheet::OnApplySteps()
{
    // A refused pixel resolution brings its page up before the message focuses the box.
    if (!m_interface.pixelResolutionAcceptable())
        SetActivePage(1);
    if (!m_interface.takePixelResolution()) {
        m_interface.SetModified(true);
        throw SpectrometerValueRefused();
    }
    m_hardwareChanged = applySpectrometerSettings(m_settings, m_view, m_driver);
}
