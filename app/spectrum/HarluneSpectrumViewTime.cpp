// The spectrum view's time acquisition: the commands and their menu states, the run (Start,
// Pause, Stop, Activate), the sampling step on the scan-ready road, the stream file, the
// saved table of the series and the parameters files.
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/SpectrumDataFile.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"
#include "platform/win/Clock.h"
#include "platform/win/FileUtil.h"

#include <algorithm>
#include <cstdio>
#include <utility>

using namespace platform::chart;
using namespace app::spectrum;
using namespace app::res;

namespace {

constexpr int kRunStopped = 0;
constexpr int kViewTimeRunRunning = 1;
constexpr int kViewTimeRunPaused = 2;
constexpr const char* kParametersFilters =
    "Time Acquisition Parameters|*.TimeParameters|All Files (*.*)|*.*||";

int64_t clockNs()
{
    return platform::win::processClock()->now().count();
}

int64_t msToNs(uint64_t ms)
{
    // Beyond about 292 years the time saturates instead of wrapping.
    constexpr uint64_t kMaxMs = static_cast<uint64_t>(INT64_MAX / 1000000);
    return static_cast<int64_t>(std::min(ms, kMaxMs)) * 1000000;
}

std::string slotName(int slot)
{
    return slot < kTimeChannels
               ? std::string("Time Acquisition Channel ") + static_cast<char>('A' + slot)
               : "Time Acquisition Combo " + std::to_string(slot - kTimeChannels + 1);
}

// The dialog completes a bare name with its three-letter default extension: "tim" names
// become the full extension.
std::string completeTim(const std::string& path, const char* rest)
{
    const std::string extension = fileExtension(path);
    return extension == "tim" || extension == "Tim" ? path + rest : path;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Commands

bool CHarluneSpectrumView::timeCommand(unsigned id)
{
    switch (id) {
    case ID_TIME_CONFIGURE_ACQUISITION:
        if (verify(mvSpecTimeAcquisitionConfigureConfigureAcquisition) &&
            timeCommandState(id).enabled)
            OnConfigureTimeAcquisition();
        return true;
    case ID_TIME_CONFIGURE_CHANNELS:
        if (verify(mvSpecTimeAcquisitionConfigureConfigureTimeChannels) &&
            timeCommandState(id).enabled)
            OnConfigureTimeChannels();
        return true;
    case ID_TIME_RESTORE_PARAMETERS:
        if (verify(mvSpecTimeAcquisitionConfigureRestoreParameters) && timeCommandState(id).enabled)
            OnRestoreTimeParameters();
        return true;
    case ID_TIME_SAVE_PARAMETERS:
        if (verify(mvSpecTimeAcquisitionConfigureSaveParameters))
            OnSaveTimeParameters();
        return true;
    case ID_TIME_ACTIVATE:
        if (verify(mvSpecTimeAcquisitionActivateTimeAcquisition))
            OnActivateTimeAcquisition();
        return true;
    case ID_TIME_START:
        if (verify(mvSpecTimeAcquisitionStart) && m_timeAcquisitionMode == 1)
            StartTimeAcquisition();
        return true;
    case ID_TIME_PAUSE:
        if (verify(mvSpecTimeAcquisitionPause))
            OnPauseTimeAcquisition();
        return true;
    case ID_TIME_STOP:
        // Stop's verification is asked when its menu state is refreshed.
        if (m_timeAcquisitionMode == 1)
            StopTimeAcquisition();
        return true;
    case ID_TIME_SUSPEND_GRAPH:
        if (verify(mvSpecTimeAcquisitionSuspendGraphDisplay))
            m_plotSuspended = m_plotSuspended == 0 ? 1 : 0;
        return true;
    case ID_TIME_SAVE_DATA:
        if (verify(mvSpecTimeAcquisitionSaveData))
            OnSaveTimeAcquisitionData();
        return true;
    case ID_TIME_OPEN:
        return true;
    default:
        return false;
    }
}

CHarluneSpectrumView::CommandState CHarluneSpectrumView::timeCommandState(unsigned id) const
{
    const bool active = m_timeAcquisitionMode == 1;
    const int state = m_timeAcquisitionStarted;
    switch (id) {
    case ID_TIME_CONFIGURE_ACQUISITION:
    case ID_TIME_CONFIGURE_CHANNELS:
    case ID_TIME_RESTORE_PARAMETERS:
        return {true, state != kViewTimeRunRunning, -1};
    case ID_TIME_SAVE_PARAMETERS:
    case ID_TIME_SAVE_DATA:
    case ID_TIME_OPEN:
        return {true, true, -1};
    case ID_TIME_ACTIVATE:
        return {true, true, active ? 1 : 0};
    case ID_TIME_START:
        return {true, active, state == kViewTimeRunRunning ? 1 : 0};
    case ID_TIME_PAUSE:
        return {true, active && state != kRunStopped, state == kViewTimeRunPaused ? 1 : 0};
    case ID_TIME_STOP:
        return {true, active && state != kRunStopped && verify(mvSpecTimeAcquisitionStop), -1};
    case ID_TIME_SUSPEND_GRAPH:
        return {true, true, m_plotSuspended != 0 ? 1 : 0};
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------
// The run

void CHarluneSpectrumView::StartTimeAcquisition()
{
    if (m_timeAcquisitionStarted == kViewTimeRunRunning)
        return;
    if (m_timeAcquisitionStarted == kViewTimeRunPaused) {
        // Resume: the run goes on with its files, columns and spectrum file numbers.
        m_timeAcquisitionStarted = kViewTimeRunRunning;
        return;
    }
    TimeAcquisitionRun& run = *m_timeRun;
    const TimeAcquisitionSettings& s = m_timeParameters.settings;
    // The spectrum files of every sample replace those of an earlier run under the same name.
    // That is asked once, here: a question at a sample would hold the run while samples pass.
    SpectrumPreferences& prefs = m_frame.preferences();
    if (s.SaveFullSpectrum != 0 && m_frame.viewPreferences().SaveFilesForSelected == 0 &&
        prefs.FileOverwriteWarning != 0 && timeRunFilesExist(timeFilename(s))) {
        if (prefs.SoundEnabled == 1)
            m_window.playSoundAsync(prefs.WarningSound);
        if (m_window.showMessageBox("Spectrum files of an earlier time acquisition named " +
                                        timeFilename(s) +
                                        " exist.\nDo you wish to replace them with this run's?",
                                    "Harlune Warning", SpectrumDocWindow::Buttons::YesNo) !=
            SpectrumDocWindow::Answer::Yes)
            return;
    }
    run.fileFailure.clear();
    run.spectrumSaveCounter = 0;
    run.streaming = false;
    run.stream.close();
    run.streamColumns.clear();
    if (s.StreamDataToDisk != 0) {
        std::string name = timeFilename(s);
        if (m_document.ConfirmOverwrite(name) != 1) {
            name += "_X";
            if (m_window.showMessageBox(
                    "A file named " + name +
                        " will be created and used for the Time Acquisition Stream file.\n"
                        "You may wish to rename this file after the experiment is completed.",
                    "Harlune Warning",
                    SpectrumDocWindow::Buttons::OkCancel) == SpectrumDocWindow::Answer::Cancel)
                return;
        }
        if (!run.stream.open(name)) {
            m_window.showMessageBox("Time Acquisition streaming file could not be opened",
                                    "Harlune Error", SpectrumDocWindow::Buttons::Ok);
            return;
        }
        for (int k = 0; k < kTimeChannels; ++k)
            if (m_timeParameters.channels[k].Enabled != 0)
                run.streamColumns.push_back(k);
        for (int k = 0; k < kTimeCombos; ++k)
            if (m_timeParameters.combos[k].Enabled != 0)
                run.streamColumns.push_back(kTimeChannels + k);
        run.streamRow.assign(run.streamColumns.size(), 0.0);
        run.stream.start(timeColumnsHeader(m_timeParameters.channels, m_timeParameters.combos),
                         static_cast<int>(run.streamColumns.size()), s.LogFrequency,
                         prefs.DefaultSavePrecision, prefs.AlwaysExponential == 1);
        run.streaming = true;
    }

    m_timeAcquisitionStarted = kViewTimeRunRunning;
    m_timeAcquisitionValuesInStatusBar = s.ShowValuesInStatusBar != 0 ? 1 : 0;
    UpdateOverlayMenu();

    const double xMin = m_chart != 0 ? chartValue(kXrtXMin) : 0.0;
    const double xMax = m_chart != 0 ? chartValue(kXrtXMax) : 0.0;
    const int n = std::clamp(static_cast<int>(m_configuration->GetPixelCount()), 1,
                             static_cast<int>(run.sampleTimes.size()));
    const double step = (xMax - xMin) / n;
    run.elapsed = 0.0;
    run.currentTime = 0.0;
    run.sampleIndex = 0;
    run.wrapped = 0;
    std::fill_n(run.sampleTimes.begin(), n, 0.0);

    OverlaySlots& overlays = m_document.overlays();
    for (int slot = 0; slot < kTimeChannels + kTimeCombos; ++slot) {
        const bool used = slot < kTimeChannels
                              ? m_timeParameters.channels[slot].Plotted != 0 &&
                                    m_timeParameters.channels[slot].Enabled != 0
                              : m_timeParameters.combos[slot - kTimeChannels].Plotted != 0 &&
                                    m_timeParameters.combos[slot - kTimeChannels].Enabled != 0;
        if (!used)
            continue;
        overlays.loaded[slot] = 1;
        overlays.fileNames[slot] = slotName(slot);
        for (int i = 0; i < n; ++i) {
            overlays.wavelengths[slot][i] = xMin + i * step;
            overlays.values[slot][i] = 0.0;
        }
        if (m_chartData != 0) {
            const int set = kSpectrumChannels + slot;
            XrtDataSetXData(m_chartData, set, overlays.wavelengths[slot].data(), kSpectrumPoints,
                            0);
            XrtDataSetYData(m_chartData, set, overlays.values[slot].data(), kSpectrumPoints, 0);
            XrtDataSetLastPoint(m_chartData, set, n - 1);
        }
    }
    for (auto& series : run.series)
        series.fill(0.0);

    run.analogOutputCount = 0;
    for (const TimeChannelRecord& c : m_timeParameters.channels)
        run.analogOutputCount += c.Plotted != 0 && c.DACEnabled != 0 ? 1 : 0;
    for (const TimeComboRecord& c : m_timeParameters.combos)
        run.analogOutputCount += c.Enabled != 0 && c.DACEnabled != 0 ? 1 : 0;
    run.analogOutput.reset();
    if (run.analogOutputCount > 0) {
        run.analogOutput = makeTimeAnalogOutput(*this);
        if (run.analogOutput)
            for (int output = 0; output < 8; ++output)
                run.analogOutput->SetRange(output, 0.0, 5.0);
    }

    // In floating seconds, so that a Duration of 1500 ms lasts 1.5 s.
    run.endTime =
        s.ContinueUntilManuallyStopped != 0
            ? 1e300
            : static_cast<double>(timeUnitToMs(s.Duration, s.DurationUnit)) / 1000.0 +
                  static_cast<double>(timeUnitToMs(s.InitialDelay, s.InitialDelayUnit)) / 1000.0;
    run.intervalNs = msToNs(timeUnitToMs(s.Frequency, s.FrequencyUnit));
    run.lastTickNs = clockNs();
    run.nextSampleNs = run.lastTickNs + msToNs(timeUnitToMs(s.InitialDelay, s.InitialDelayUnit));
}

void CHarluneSpectrumView::StopTimeAcquisition()
{
    if (m_timeAcquisitionStarted == kRunStopped)
        return;
    m_timeAcquisitionStarted = kRunStopped;
    TimeAcquisitionRun& run = *m_timeRun;
    // Closing writes the rows still held.
    run.stream.close();
    run.streaming = false;
    run.analogOutput.reset();
    UpdateOverlayMenu();
    // The run no longer waits: a spectrum file it could not write is told now.
    if (!run.fileFailure.empty())
        m_window.showMessageBox(std::exchange(run.fileFailure, std::string()), "Harlune Error",
                                SpectrumDocWindow::Buttons::Ok);
}

void CHarluneSpectrumView::OnPauseTimeAcquisition()
{
    if (m_timeAcquisitionStarted == kViewTimeRunRunning)
        m_timeAcquisitionStarted = kViewTimeRunPaused;
    else if (m_timeAcquisitionStarted == kViewTimeRunPaused)
        m_timeAcquisitionStarted = kViewTimeRunRunning;
}

void CHarluneSpectrumView::releaseTimeSlots()
{
    OverlaySlots& overlays = m_document.overlays();
    const int n =
        std::clamp(static_cast<int>(m_configuration->GetPixelCount()), 0, kSpectrumPoints);
    for (int slot = 0; slot < kTimeChannels + kTimeCombos; ++slot) {
        const bool used = slot < kTimeChannels
                              ? m_timeParameters.channels[slot].Plotted != 0 &&
                                    m_timeParameters.channels[slot].Enabled != 0
                              : m_timeParameters.combos[slot - kTimeChannels].Plotted != 0 &&
                                    m_timeParameters.combos[slot - kTimeChannels].Enabled != 0;
        if (!used)
            continue;
        overlays.loaded[slot] = 0;
        overlays.fileNames[slot].clear();
        std::fill_n(overlays.wavelengths[slot].begin(), n, 0.0);
        std::fill_n(overlays.values[slot].begin(), n, 0.0);
        if (m_chartData != 0) {
            const int set = kSpectrumChannels + slot;
            XrtDataSetXData(m_chartData, set, overlays.wavelengths[slot].data(), kSpectrumPoints,
                            0);
            XrtDataSetYData(m_chartData, set, overlays.values[slot].data(), kSpectrumPoints, 0);
        }
    }
}

void CHarluneSpectrumView::OnActivateTimeAcquisition()
{
    if (m_timeAcquisitionMode == 1) {
        if (m_timeAcquisitionStarted != kRunStopped)
            StopTimeAcquisition();
        m_timeAcquisitionStarted = kRunStopped;
        m_timeAcquisitionMode = 0;
        m_window.showCursorReadOutBar(m_cursorShown == 1 && m_cursorValuesInLegend == 0);
        releaseTimeSlots();
        UpdateOverlayMenu();
    } else {
        m_timeAcquisitionStarted = kRunStopped;
        m_timeAcquisitionValuesInStatusBar =
            m_timeParameters.settings.ShowValuesInStatusBar != 0 ? 1 : 0;
        if (m_timeParameters.settings.ShowValuesInStatusBar != 0)
            m_window.showCursorReadOutBar(true);
        m_timeAcquisitionMode = 1;
        UpdateOverlayMenu();
    }
}

void CHarluneSpectrumView::TimeAcquisitionTick()
{
    TimeAcquisitionRun& run = *m_timeRun;
    const int64_t now = clockNs();
    if (now < run.nextSampleNs)
        return;

    const ChannelSpectra& spectra = m_document.spectra();
    OverlaySlots& overlays = m_document.overlays();
    const int pixels =
        std::clamp(static_cast<int>(m_configuration->GetPixelCount()), 0, kSpectrumPoints);
    const int index = run.sampleIndex;
    const auto plot = [&](int slot, double value) {
        overlays.values[slot][index] = value;
        if (m_chartData != 0)
            XrtDataSetYData(m_chartData, kSpectrumChannels + slot, overlays.values[slot].data(),
                            kSpectrumPoints, 0);
    };

    for (int k = 0; k < kTimeChannels; ++k) {
        TimeChannelRecord& c = m_timeParameters.channels[k];
        if (c.Enabled == 0) {
            c.Value = 0.0;
            continue;
        }
        if (c.SpectrometerChannel >= 0 && c.SpectrometerChannel < kSpectrumChannels) {
            // The band is cut to the channel's pixels; a band with none keeps the value.
            const int64_t half = c.Bandwidth / 2;
            const int64_t first = std::max<int64_t>(int64_t{c.Pixel} - half, 0);
            const int64_t last = std::min<int64_t>(int64_t{c.Pixel} + half, pixels - 1);
            if (first <= last) {
                const auto& processed = spectra.processed[c.SpectrometerChannel];
                double sum = 0.0;
                for (int64_t i = first; i <= last; ++i)
                    sum += processed[static_cast<std::size_t>(i)];
                c.Value = sum / static_cast<double>(last - first + 1) * c.Factor + c.Offset;
            }
        } else if (c.SpectrometerChannel == 8) {
            c.Value = static_cast<double>(m_lastTemperature) * c.Factor + c.Offset;
        }
        run.series[k][index] = c.Value;
        if (c.Plotted != 0)
            plot(k, c.Value);
    }
    for (int k = 0; k < kTimeCombos; ++k) {
        TimeComboRecord& c = m_timeParameters.combos[k];
        if (c.Enabled == 0) {
            c.Value = 0.0;
            continue;
        }
        const auto operand = [this](uint32_t code) {
            if (code < kTimeChannels)
                return m_timeParameters.channels[code].Value;
            if (code < kTimeChannels + kTimeCombos)
                return m_timeParameters.combos[code - kTimeChannels].Value;
            return 0.0;
        };
        c.Value =
            comboResult(c.Operation, operand(c.FirstChannel), operand(c.SecondChannel)) * c.Factor +
            c.Offset;
        run.series[kTimeChannels + k][index] = c.Value;
        if (c.Plotted != 0)
            plot(kTimeChannels + k, c.Value);
    }

    run.elapsed += static_cast<double>(now - run.lastTickNs) / 1e9;
    run.lastTickNs = now;
    run.currentTime = run.elapsed;
    run.sampleTimes[index] = run.elapsed;

    const bool ending = run.elapsed > run.endTime;
    if (run.streaming) {
        for (std::size_t i = 0; i < run.streamColumns.size(); ++i) {
            const int column = run.streamColumns[i];
            run.streamRow[i] = column < kTimeChannels
                                   ? m_timeParameters.channels[column].Value
                                   : m_timeParameters.combos[column - kTimeChannels].Value;
        }
        run.stream.addRow(run.currentTime, run.streamRow.data(), ending);
    }

    const TimeAcquisitionSettings& s = m_timeParameters.settings;
    if (s.ShowValuesInStatusBar != 0) {
        char text[128];
        std::snprintf(text, sizeof text, "Acq %d | %.3f sec || ", index, run.currentTime);
        run.statusText = text;
        for (int k = 0; k < kTimeChannels; ++k)
            if (m_timeParameters.channels[k].Enabled != 0) {
                std::snprintf(text, sizeof text, "%c %.03f | ", 'A' + k,
                              m_timeParameters.channels[k].Value);
                run.statusText += text;
            }
        for (int k = 0; k < kTimeCombos; ++k)
            if (m_timeParameters.combos[k].Enabled != 0) {
                std::snprintf(text, sizeof text, "Combo%d %.03f | ", k + 1,
                              m_timeParameters.combos[k].Value);
                run.statusText += text;
            }
        run.statusText.resize(run.statusText.size() - 2);
        m_window.setCursorReadOut(run.statusText);
    }

    if (run.sampleIndex < kTimeRingSize - 1) {
        ++run.sampleIndex;
    } else {
        run.sampleIndex = 0;
        run.wrapped = 1;
    }
    m_timeAcquisitionEventPending = 1;
    m_eventTimeStamp = run.elapsed;

    if (s.SaveFullSpectrum != 0 && m_frame.viewPreferences().SaveFilesForSelected == 0) {
        char number[16];
        std::snprintf(number, sizeof number, ".%05d", run.spectrumSaveCounter);
        // Nobody is asked while the run goes on: Start asked about replacing, and the first
        // failure is kept for Stop.
        m_document.holdQuestions(true);
        saveFullSpectra(timeFilename(s) + number);
        m_document.holdQuestions(false);
        if (std::string failure = m_document.takeHeldFailure();
            !failure.empty() && run.fileFailure.empty())
            run.fileFailure = std::move(failure);
        ++run.spectrumSaveCounter;
    }

    if (run.analogOutputCount > 0 && run.analogOutput) {
        for (int k = 0; k < kTimeChannels; ++k) {
            const TimeChannelRecord& c = m_timeParameters.channels[k];
            if (c.Plotted != 0 && c.DACEnabled != 0)
                run.analogOutput->SetValue(k, c.Value);
        }
        for (int k = 0; k < kTimeCombos; ++k) {
            const TimeComboRecord& c = m_timeParameters.combos[k];
            if (c.Enabled != 0 && c.DACEnabled != 0)
                run.analogOutput->SetValue(kTimeChannels + k, c.Value);
        }
    }

    if (ending) {
        StopTimeAcquisition();
        return;
    }
    run.nextSampleNs =
        s.SaveEveryAcquisition != 0 ? run.lastTickNs : run.lastTickNs + run.intervalNs;
    updateNextNameTitle();
}

// ---------------------------------------------------------------------------------------
// Files

int CHarluneSpectrumView::ReadTimeAcquisitionParameters(const std::string& path)
{
    if (path.empty()) {
        m_timeParameters = TimeAcquisitionParameters{};
        return 1;
    }
    CINIFileSupport store(path.c_str(), 0);
    readTimeParameters(store, m_timeParameters, m_configuration.get());
    return 1;
}

int CHarluneSpectrumView::WriteTimeAcquisitionParameters(const std::string& path)
{
    if (path.empty())
        return 0;
    CINIFileSupport store(path.c_str(), 0);
    return writeTimeParameters(store, m_timeParameters) ? 1 : 0;
}

void CHarluneSpectrumView::OnSaveTimeParameters()
{
    SpectrumFileDialogRequest dialog;
    dialog.open = false;
    dialog.title = "Save Time Acquisition Parameters";
    dialog.filters = kParametersFilters;
    dialog.defaultExtension = "tim";
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return;
    m_window.beginWaitCursor();
    const std::string path = completeTim(chosen->paths.front(), "eParameters");
    if (WriteTimeAcquisitionParameters(path) == 0) {
        // Nothing was stored: say so, and keep the default file as it is.
        m_window.endWaitCursor();
        m_window.showMessageBox("The time acquisition parameters could not be written to " + path +
                                    ".\n" + fileWriteFailure(path, 0),
                                dialog.title, SpectrumDocWindow::Buttons::Ok);
        return;
    }
    if (m_window.showMessageBox("Would you like to make the file " + path +
                                    " your default time acquisition parameters file?",
                                dialog.title, SpectrumDocWindow::Buttons::YesNo) ==
        SpectrumDocWindow::Answer::Yes)
        m_timeParametersFile = path;
    m_window.endWaitCursor();
}

void CHarluneSpectrumView::OnRestoreTimeParameters()
{
    SpectrumFileDialogRequest dialog;
    dialog.open = true;
    dialog.title = "Restore Time Acquisition Parameters";
    dialog.filters = kParametersFilters;
    dialog.defaultExtension = "TimeParameters";
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return;
    m_window.beginWaitCursor();
    ReadTimeAcquisitionParameters(chosen->paths.front());
    m_window.endWaitCursor();
}

void CHarluneSpectrumView::OnSaveTimeAcquisitionData()
{
    SpectrumFileDialogRequest dialog;
    dialog.open = false;
    dialog.title = "Save Time Acquisition Data File";
    dialog.filters = "Time Acquisition Data Files|*.TimeAcquisition|All Files (*.*)|*.*||";
    dialog.defaultExtension = "tim";
    const auto chosen = m_window.runFileDialog(dialog);
    if (!chosen || chosen->paths.empty())
        return;
    const std::string path = completeTim(chosen->paths.front(), "eAcquisition");
    const TimeAcquisitionRun& run = *m_timeRun;
    std::vector<int> columns;
    for (int k = 0; k < kTimeChannels; ++k)
        if (m_timeParameters.channels[k].Enabled != 0)
            columns.push_back(k);
    for (int k = 0; k < kTimeCombos; ++k)
        if (m_timeParameters.combos[k].Enabled != 0)
            columns.push_back(kTimeChannels + k);
    std::string text = timeColumnsHeader(m_timeParameters.channels, m_timeParameters.combos);
    text += "\r\n";
    const auto row = [&](int i) {
        char number[400];
        std::snprintf(number, sizeof number, "%.3f", run.sampleTimes[i]);
        text += number;
        for (const int column : columns) {
            std::snprintf(number, sizeof number, "\t%.4f", run.series[column][i]);
            text += number;
        }
        text += "\r\n";
    };
    if (run.wrapped != 0)
        for (int i = run.sampleIndex; i < kTimeRingSize; ++i)
            row(i);
    for (int i = 0; i < run.sampleIndex; ++i)
        row(i);
    // The file is replaced whole, so a failed write leaves the one before as it was.
    platform::win::FileStamp stamp;
    if (const int error = platform::win::replaceFile(path, text, stamp); error != 0)
        m_window.showMessageBox("The time acquisition data could not be written to " + path +
                                    ".\n" + fileWriteFailure(path, error),
                                dialog.title, SpectrumDocWindow::Buttons::Ok);
}

// ---------------------------------------------------------------------------------------
// The editors

void CHarluneSpectrumView::OnConfigureTimeAcquisition()
{
    TimeAcquisitionSettings settings = m_timeParameters.settings;
    if (m_window.runTimeConfigurationDialog(settings))
        m_timeParameters.settings = settings;
}

void CHarluneSpectrumView::OnConfigureTimeChannels()
{
    m_window.runTimeChannelSheet();
}

void CHarluneSpectrumView::ApplyTimeChannels(
    const std::array<TimeChannelRecord, kTimeChannels>& channels,
    const std::array<TimeComboRecord, kTimeCombos>& combos)
{
    for (int k = 0; k < kTimeChannels; ++k) {
        TimeChannelRecord& r = m_timeParameters.channels[k];
        const double value = r.Value;
        const int32_t pixel = r.Pixel;
        r = channels[k];
        r.Value = value;
        r.Pixel = pixel;
        derivePixel(r, *m_configuration);
    }
    for (int k = 0; k < kTimeCombos; ++k) {
        TimeComboRecord& r = m_timeParameters.combos[k];
        const double value = r.Value;
        r = combos[k];
        r.Value = value;
    }
}
