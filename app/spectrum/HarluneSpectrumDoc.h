#pragma once

#include "app/spectrum/SpectrumDataFile.h"
#include "app/spectrum/SpectrumDocWindow.h"
#include "app/spectrum/SpectrumTypes.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>

class CHarluneSpectrumView;

// What a spectrum document needs of the main frame, which implements it: the preferences
// and the acquisition round-robin. GUI thread.
class SpectrumDocFrame
{
public:
    virtual ~SpectrumDocFrame() = default;
    // The main frame's preferences; the document's questions store their check boxes here.
    virtual SpectrumPreferences& preferences() = 0;
    // Adds delta to the application's count of open spectrum documents (the round-robin
    // starts scans only while it is at least 1); returns the new count.
    virtual int addOpenSpectrumDocuments(int delta) = 0;
    // Starts the next scan of the round-robin.
    virtual void StartNextScan() = 0;
};

// The eight stored spectra shown beside the live channels.
struct OverlaySlots
{
    ChannelArrays wavelengths{};
    // A slot's values count only while its loaded flag is set.
    ChannelArrays values{};
    std::array<std::string, kOverlaySlots> fileNames{};
    std::array<int8_t, kOverlaySlots> loaded{};
};

// The document of a spectrum window: every spectrum of the window in fixed arrays (about
// 3 MB, so it is made on the heap), the eight raw scan buffers lent to the driver, the
// overlay slots, the file names, the stored flags and the two irradiance preferences. It
// counts itself among the open spectrum documents for the acquisition round-robin, asks
// before files are overwritten and reads and writes spectrum data files.
//
// GUI thread, except that the driver library writes a raw scan buffer from its own threads
// between lending it (registration, VYK_BufferEmpty) and posting its channel-full message;
// the view reads the buffer only in between.
class CHarluneSpectrumDoc
{
public:
    // Reads "ColorTemperature" and "IrradAssumeSecondOrder" from the settings store and
    // counts the document as open. The window asks the document's questions (overwrite, file
    // without header) and shows its errors from the first file operation on; it must outlive
    // the document.
    CHarluneSpectrumDoc(SpectrumDocFrame& frame, SpectrumDocWindow& window);
    // Lets the view take its buffers back, writes the two preferences back; when other
    // documents remain and no view restarted the round-robin, starts the next scan.
    ~CHarluneSpectrumDoc();
    CHarluneSpectrumDoc(const CHarluneSpectrumDoc&) = delete;
    CHarluneSpectrumDoc& operator=(const CHarluneSpectrumDoc&) = delete;

    // Called once the framework's new-document step succeeded: starts the next scan of the
    // round-robin. Returns 1.
    int OnNewDocument();

    // The view that lent the raw scan buffers to the driver library takes them back here
    // before they go: the destructor calls it first (the framework deletes the document
    // before the view's window). The view also starts the next scan then. Empty: none.
    void setBuffersReturn(std::function<void()> takeBack) { m_buffersReturn = std::move(takeBack); }
    // Replaces the clock whose local time is stamped into SPC files.
    void setLocalTimeSource(std::function<std::tm()> localTime);

    // 1 when path may be written: it does not exist, the warning is off, or the user said
    // Yes; the dialog's check box becomes the "FileOverwriteWarning" preference.
    int ConfirmOverwrite(const std::string& path);

    // Writes one spectrum of header.numberOfPoints points: format 0 text without header,
    // 1 with header, 2 SPC (to path + ".spc"). 0 written, 1 not written, 2 bad argument,
    // 4 the user declined the overwrite.
    int WriteDataFile(const std::string& path, const SpectrumFileHeader& header, int format,
                      const double* wavelengths, const double* values);
    // Reads a text or SPC data file: 0 read, 1 not read (reported to the user), 6 the user
    // declined a file without header. The header is always usable afterwards.
    int ReadDataFile(const std::string& path, SpectrumFileHeader& header,
                     std::span<double, kSpectrumPoints> wavelengths,
                     std::span<double, kSpectrumPoints> values);
    // Writes an evenly spaced SPC file of 1 to 4096 values; results as WriteDataFile.
    int WriteEvenlySpacedSpcFile(const std::string& path, double firstX, double lastX,
                                 int numberOfPoints, const double* values, int xUnit, int yUnit,
                                 const std::string& comment);

    // While held, the data files written replace existing files without the overwrite
    // question, and the first failure's text is kept instead of shown: a running time
    // acquisition writes its files so, having asked once when it started. The text stays
    // after release until takeHeldFailure.
    void holdQuestions(bool held) { m_questionsHeld = held; }
    // The first failure kept while held (empty when none); the kept text is cleared.
    std::string takeHeldFailure() { return std::exchange(m_heldFailure, std::string()); }

    // The experiment file of a view and the data files beside it: 0 written (read), 1 the
    // file could not be created (opened), and nothing was done.
    int WriteExperiment(const std::string& fileName, CHarluneSpectrumView& view);
    int ReadExperiment(const std::string& fileName, CHarluneSpectrumView& view);

    ChannelSpectra& spectra() { return m_spectra; }
    const ChannelSpectra& spectra() const { return m_spectra; }
    // The eight raw scan buffers, back to back, channel 0 first.
    RawScanBuffer* rawScanBuffers() { return m_rawScanBuffers.data(); }
    RawScanBuffer& rawScanBuffer(int channel) { return m_rawScanBuffers.at(channel); }
    OverlaySlots& overlays() { return m_overlays; }

    // Kelvin of the reference lamp for relative irradiance.
    double colorTemperature() const { return m_colorTemperature; }
    void setColorTemperature(double kelvin) { m_colorTemperature = kelvin; }
    uint32_t assumeSecondOrder() const { return m_assumeSecondOrder; }
    void setAssumeSecondOrder(uint32_t value) { m_assumeSecondOrder = value; }

    // The last file of each kind per channel.
    std::array<std::string, kSpectrumChannels> darkFileNames{};
    std::array<std::string, kSpectrumChannels> sampleDarkFileNames{};
    std::array<std::string, kSpectrumChannels> referenceFileNames{};
    std::array<std::string, kSpectrumChannels> sampleFileNames{};

private:
    app::spectrum::DataFileContext fileContext();

    SpectrumDocFrame& m_frame;
    SpectrumDocWindow& m_window;
    std::function<void()> m_buffersReturn;
    std::function<std::tm()> m_localTime;
    // The spectra and the raw scan buffers (about 2.5 MB) in zeroed memory of their own from
    // calloc: a new window gets fresh zero pages that are touched only as its channels and
    // arrays come into use, instead of writing every page through when the window opens.
    struct ZeroedArrays
    {
        ChannelSpectra spectra;
        std::array<RawScanBuffer, kSpectrumChannels> rawScanBuffers;
    };
    struct FreeZeroedArrays
    {
        void operator()(ZeroedArrays* arrays) const;
    };
    static ZeroedArrays* allocateZeroedArrays();
    std::unique_ptr<ZeroedArrays, FreeZeroedArrays> m_arrays;
    ChannelSpectra& m_spectra;
    std::array<RawScanBuffer, kSpectrumChannels>& m_rawScanBuffers;
    OverlaySlots m_overlays;
    double m_colorTemperature = 3100.0;
    uint32_t m_assumeSecondOrder = 0;
    bool m_questionsHeld = false;
    std::string m_heldFailure;
};
