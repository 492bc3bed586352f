#include "app/spectrum/HarluneSpectrumDoc.h"

#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumView.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <type_traits>

namespace {

constexpr const char* kDocAcquisitionSection = "DefaultAcquisitionParameters";
constexpr const char* kDocPreferencesSection = "Preferences";
constexpr double kDefaultColorTemperature = 3100.0;

} // namespace

// calloc makes the arrays as implicit-lifetime objects whose every value is zero, as value
// initialisation would; they need no destructor.
CHarluneSpectrumDoc::ZeroedArrays* CHarluneSpectrumDoc::allocateZeroedArrays()
{
    static_assert(std::is_aggregate_v<ZeroedArrays> &&
                  std::is_trivially_destructible_v<ZeroedArrays> &&
                  std::is_trivially_copyable_v<ZeroedArrays>);
    void* block = std::calloc(1, sizeof(ZeroedArrays));
    if (!block)
        throw std::bad_alloc();
    return static_cast<ZeroedArrays*>(block);
}

void CHarluneSpectrumDoc::FreeZeroedArrays::operator()(ZeroedArrays* arrays) const
{
    std::free(arrays);
}

CHarluneSpectrumDoc::CHarluneSpectrumDoc(SpectrumDocFrame& frame, SpectrumDocWindow& window)
    : m_frame(frame), m_window(window), m_arrays(allocateZeroedArrays()),
      m_spectra(m_arrays->spectra), m_rawScanBuffers(m_arrays->rawScanBuffers)
{
    CINIFileSupport store(nullptr, 1);
    m_colorTemperature = store.GetDoubleDefault(kDocAcquisitionSection, "ColorTemperature",
                                                kDefaultColorTemperature);
    // A stored value that is not a number would poison every irradiance curve.
    if (!std::isfinite(m_colorTemperature))
        m_colorTemperature = kDefaultColorTemperature;
    m_assumeSecondOrder = store.GetUIntDefault(kDocPreferencesSection, "IrradAssumeSecondOrder", 0);
    m_frame.addOpenSpectrumDocuments(1);
}

CHarluneSpectrumDoc::~CHarluneSpectrumDoc()
{
    // Moved out first: the view clears the hook while it runs.
    const std::function<void()> takeBack = std::move(m_buffersReturn);
    m_buffersReturn = nullptr;
    if (takeBack)
        takeBack();
    {
        CINIFileSupport store(nullptr, 1);
        store.WriteDouble(kDocAcquisitionSection, "ColorTemperature", m_colorTemperature);
        store.WriteUInt(kDocPreferencesSection, "IrradAssumeSecondOrder", m_assumeSecondOrder);
    }
    if (m_frame.addOpenSpectrumDocuments(-1) > 0 && !takeBack)
        m_frame.StartNextScan();
}

int CHarluneSpectrumDoc::OnNewDocument()
{
    m_frame.StartNextScan();
    return 1;
}

void CHarluneSpectrumDoc::setLocalTimeSource(std::function<std::tm()> localTime)
{
    m_localTime = std::move(localTime);
}

app::spectrum::DataFileContext CHarluneSpectrumDoc::fileContext()
{
    return app::spectrum::DataFileContext{m_frame.preferences(), &m_window, m_localTime,
                                          m_questionsHeld ? &m_heldFailure : nullptr};
}

int CHarluneSpectrumDoc::ConfirmOverwrite(const std::string& path)
{
    app::spectrum::DataFileContext context = fileContext();
    return app::spectrum::confirmOverwrite(context, path) ? 1 : 0;
}

int CHarluneSpectrumDoc::WriteDataFile(const std::string& path, const SpectrumFileHeader& header,
                                       int format, const double* wavelengths, const double* values)
{
    app::spectrum::DataFileContext context = fileContext();
    return app::spectrum::writeDataFile(context, path, header, format, wavelengths, values);
}

int CHarluneSpectrumDoc::ReadDataFile(const std::string& path, SpectrumFileHeader& header,
                                      std::span<double, kSpectrumPoints> wavelengths,
                                      std::span<double, kSpectrumPoints> values)
{
    app::spectrum::DataFileContext context = fileContext();
    return app::spectrum::readDataFile(context, path, header, wavelengths, values);
}

int CHarluneSpectrumDoc::WriteEvenlySpacedSpcFile(const std::string& path, double firstX,
                                                  double lastX, int numberOfPoints,
                                                  const double* values, int xUnit, int yUnit,
                                                  const std::string& comment)
{
    app::spectrum::DataFileContext context = fileContext();
    return app::spectrum::writeEvenlySpacedSpcFile(context, path, firstX, lastX, numberOfPoints,
                                                   values, xUnit, yUnit, comment);
}

int CHarluneSpectrumDoc::WriteExperiment(const std::string& fileName, CHarluneSpectrumView& view)
{
    return view.writeExperiment(fileName);
}

int CHarluneSpectrumDoc::ReadExperiment(const std::string& fileName, CHarluneSpectrumView& view)
{
    return view.readExperiment(fileName);
}
