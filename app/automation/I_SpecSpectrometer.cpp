#include "app/automation/I_SpecSpectrometer.h"

#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumView.h"

#include <filesystem>
#include <fstream>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace app::res;

namespace {

// A configuration file that can be read: a regular file that opens.
bool spectrometerReadable(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    return std::ifstream(path, std::ios::binary).is_open();
}

} // namespace

const DispatchTable& I_SpecSpectrometer::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpectrometer;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog)
            .method("SaveConfigurationAs", &C::SaveConfigurationAs, {"file", "makecurrent"})
            .method("OpenConfiguration", &C::OpenConfiguration, {"file", "makecurrent"})
            .method("ShowSaveConfigurationDialog", &C::ShowSaveConfigurationDialog)
            .method("ShowOpenConfigurationDialog", &C::ShowOpenConfigurationDialog)
            .method("LockConfiguration", &C::LockConfiguration)
            .method("GetNumberOfPixels", &C::GetNumberOfPixels);
        return b.table();
    }();
    return t;
}

void I_SpecSpectrometer::ShowConfigurationDialog()
{
    withView([](View& v) { v.OnCommand(ID_CONFIGURE_SPECTROMETER); });
}

bool I_SpecSpectrometer::SaveConfigurationAs(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](View& v) {
        if (!v.SaveSpectrometerConfiguration(file))
            return false;
        if (makeCurrent)
            v.setConfigurationFile(file);
        return true;
    });
}

bool I_SpecSpectrometer::OpenConfiguration(const std::string& file, bool makeCurrent)
{
    if (file.empty() || !fitsPath(file))
        return false;
    return onView(false, [&](View& v) {
        // A missing file would load every default and push it to the driver.
        if (!spectrometerReadable(file))
            return false;
        v.OpenSpectrometerConfiguration(file);
        if (makeCurrent)
            v.setConfigurationFile(file);
        return true;
    });
}

void I_SpecSpectrometer::ShowSaveConfigurationDialog()
{
    withView([](View& v) { v.OnCommand(ID_SAVE_CONFIGURATION_AS); });
}

void I_SpecSpectrometer::ShowOpenConfigurationDialog()
{
    withView([](View& v) { v.OnCommand(ID_OPEN_CONFIGURATION); });
}

void I_SpecSpectrometer::LockConfiguration()
{
    withView([](View& v) {
        v.configuration().ApplyToDriver();
        v.setCoefficientsLoaded(false);
    });
}

int16_t I_SpecSpectrometer::GetNumberOfPixels()
{
    return onView(int16_t{0},
                  [](View& v) { return static_cast<int16_t>(v.configuration().GetPixelCount()); });
}
