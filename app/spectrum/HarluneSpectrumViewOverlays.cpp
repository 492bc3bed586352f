// The spectrum view's overlay slots (stored spectra on chart sets 8 to 15 and their menu
// entries) and its annotations (text notes anchored in data coordinates, with their
// "<data file>.anno" files).
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/AtomicFile.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "app/spectrum/WindowsPaths.h"
#include "platform/chart/Xrt.h"
#include "platform/framework/Menu.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <memory>

using namespace platform::chart;
using namespace app::spectrum;
using namespace app::res;

namespace {

constexpr const char* kFreeAnnotationText = "Enter your annotation here";
constexpr std::size_t kMaxAnnotationBytes = 99;
// One record of an ".anno" file: text, rectangle, pixel position, x, y, colour, LOGFONT.
constexpr std::size_t kAnnoRecordBytes = 204;
static_assert(std::endian::native == std::endian::little, ".anno files are little-endian");

constexpr int kOverlayVerify[kOverlaySlots] = {mvSpecOverlay1, mvSpecOverlay2, mvSpecOverlay3,
                                               mvSpecOverlay4, mvSpecOverlay5, mvSpecOverlay6,
                                               mvSpecOverlay7, mvSpecOverlay8};

void setText(char (&field)[100], const std::string& text)
{
    const std::string cut = cutAtCharacterBoundary(text, kMaxAnnotationBytes);
    std::memset(field, 0, sizeof field);
    std::memcpy(field, cut.data(), cut.size());
}

template <typename T> void put(std::string& bytes, const T& value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The chart's font for a note's LOGFONT.
XrtFont overlayChartFont(const AnnotationLogFont& font)
{
    XrtFont f;
    f.face = std::string(font.lfFaceName, strnlen(font.lfFaceName, sizeof font.lfFaceName));
    f.height = font.lfHeight;
    f.weight = font.lfWeight == 0 ? 0 : std::clamp(font.lfWeight, 1, 1000);
    f.italic = font.lfItalic != 0;
    f.underline = font.lfUnderline != 0;
    f.strikeOut = font.lfStrikeOut != 0;
    return f;
}

template <typename T> T take(const char* bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Overlays

void CHarluneSpectrumView::OnOverlay(int slot)
{
    if (slot < 0 || slot >= kOverlaySlots || !verify(kOverlayVerify[slot]))
        return;
    OverlaySlots& overlays = m_document.overlays();
    if (overlays.loaded[slot] == 0) {
        if (LoadOverlay(slot) == 1) {
            if (m_frame.viewPreferences().OpenOverlayAnnotation == 1)
                ReadAnnotations(overlays.fileNames[slot], 0, slot);
            overlays.loaded[slot] = 1;
        }
    } else if (ClearOverlay(slot) == 1) {
        overlays.loaded[slot] = 0;
    }
    UpdateOverlayMenu();
}

int CHarluneSpectrumView::LoadOverlay(int slot)
{
    if (slot < 0 || slot >= kOverlaySlots)
        return 0;
    const auto path = m_window.chooseExistingFile(
        "Load Data into Overlay Slot " + std::to_string(slot + 1),
        "Harlune Data Files|*.scope;*.absorbance;*.transmission;*.irradiance;*.dark;*.reference;"
        "*.sample;*.reflection|All Files (*.*)|*.*||");
    if (!path)
        return 0;
    m_window.beginWaitCursor();
    auto wavelengths = std::make_unique<SpectrumArray>();
    auto values = std::make_unique<SpectrumArray>();
    SpectrumFileHeader header;
    // A file the reader refuses (it says so itself) leaves the slot as it was.
    if (m_document.ReadDataFile(*path, header, *wavelengths, *values) != 0) {
        m_window.endWaitCursor();
        return 0;
    }
    OverlaySlots& overlays = m_document.overlays();
    overlays.wavelengths[slot] = *wavelengths;
    overlays.values[slot] = *values;
    overlays.fileNames[slot] = *path;
    const int set = kSpectrumChannels + slot;
    if (m_chartData != 0) {
        XrtDataSetYData(m_chartData, set, overlays.values[slot].data(), kSpectrumPoints, 0);
        XrtDataSetXData(m_chartData, set, overlays.wavelengths[slot].data(), kSpectrumPoints, 0);
        XrtDataSetLastPoint(m_chartData, set,
                            std::clamp(header.numberOfPoints, 1, kSpectrumPoints) - 1);
    }
    overlays.loaded[slot] = 1;
    PlotSpectra();
    m_window.endWaitCursor();
    return 1;
}

int CHarluneSpectrumView::ClearOverlay(int slot)
{
    return clearOverlay(slot, m_frame.viewPreferences().OverlayClearWarning == 1);
}

int CHarluneSpectrumView::clearOverlay(int slot, bool ask)
{
    if (slot < 0 || slot >= kOverlaySlots)
        return 0;
    OverlaySlots& overlays = m_document.overlays();
    if (ask &&
        m_window.showMessageBox(
            "You are about to clear overlay slot " + std::to_string(slot + 1) + ", containing " +
                overlays.fileNames[slot] + ".  Are you sure you wish to continue?",
            "Clear Overlay", SpectrumDocWindow::Buttons::YesNo) == SpectrumDocWindow::Answer::No)
        return 0;
    const int count =
        std::clamp(static_cast<int>(m_configuration->GetPixelCount()), 0, kSpectrumPoints);
    std::fill_n(overlays.values[slot].begin(), count, 0.0);
    std::fill_n(overlays.wavelengths[slot].begin(), count, 0.0);
    const int set = kSpectrumChannels + slot;
    if (m_chartData != 0) {
        XrtDataSetYData(m_chartData, set, overlays.wavelengths[slot].data(), kSpectrumPoints, 0);
        XrtDataSetXData(m_chartData, set, overlays.wavelengths[slot].data(), kSpectrumPoints, 0);
    }
    overlays.loaded[slot] = 0;
    for (int i = 0; i < kAnnotationRecords; ++i)
        if (m_annotations[i].inUse != 0 && m_annotations[i].overlaySlot == slot)
            freeAnnotation(i);
    return 1;
}

void CHarluneSpectrumView::OnOverlayClearAll()
{
    if (!verify(mvSpecOverlayClearAll))
        return;
    // One question for all slots: the slots' own questions are not asked.
    if (m_window.showMessageBox(
            "You are about to clear all overlays. Are you sure you wish to continue?",
            "Clear All Overlays",
            SpectrumDocWindow::Buttons::YesNo) == SpectrumDocWindow::Answer::Yes)
        for (int s = 0; s < kOverlaySlots; ++s)
            clearOverlay(s, false);
    UpdateOverlayMenu();
}

void CHarluneSpectrumView::UpdateOverlayMenu()
{
    using namespace platform::framework;
    const HMENU menu = m_window.mainMenu();
    if (menu != 0) {
        const OverlaySlots& overlays = m_document.overlays();
        for (int n = 1; n <= kOverlaySlots; ++n) {
            const unsigned id = ID_OVERLAY_FIRST + n - 1;
            // While time acquisition is the window's mode, the slots of the plotted time
            // channels and combinations name them.
            bool timeSlot = false;
            if (m_timeAcquisitionMode == 1) {
                timeSlot = n <= kTimeChannels
                               ? m_timeParameters.channels[n - 1].Enabled != 0 &&
                                     m_timeParameters.channels[n - 1].Plotted != 0
                               : m_timeParameters.combos[n - 1 - kTimeChannels].Enabled != 0 &&
                                     m_timeParameters.combos[n - 1 - kTimeChannels].Plotted != 0;
            }
            std::string text;
            if (timeSlot)
                text = n <= kTimeChannels
                           ? "&" + std::to_string(n) + ". Time Acquisition Channel " +
                                 static_cast<char>('A' + n - 1)
                           : "&" + std::to_string(n) + ". Time Acquisition Combo " +
                                 std::to_string(n - kTimeChannels);
            else
                text = overlays.loaded[n - 1] != 0
                           ? "&" + std::to_string(n) + ".  " + overlays.fileNames[n - 1]
                           : "&" + std::to_string(n) + ". -- Select to add overlay...";
            ModifyMenu(menu, id, MF_BYCOMMAND | MF_STRING, id, text);
            CheckMenuItem(menu, id,
                          MF_BYCOMMAND | (overlays.loaded[n - 1] != 0 || timeSlot ? MF_CHECKED
                                                                                  : MF_UNCHECKED));
        }
    }
    if (m_cursorValuesInLegend == 0)
        UpdateLegendLabels();
}

// ---------------------------------------------------------------------------------------
// Annotations

void CHarluneSpectrumView::resetAnnotations()
{
    for (AnnotationRecord& r : m_annotations) {
        r.inUse = 0;
        setText(r.text, kFreeAnnotationText);
        r.color = m_annotationColor;
        r.font = AnnotationLogFont{};
        r.font.lfHeight = m_annotationFont.height;
        std::strncpy(r.font.lfFaceName, m_annotationFont.face.c_str(),
                     sizeof r.font.lfFaceName - 1);
        r.overlaySlot = -1;
    }
}

void CHarluneSpectrumView::freeAnnotation(int index)
{
    AnnotationRecord& r = m_annotations[index];
    r.inUse = 0;
    setText(r.text, kFreeAnnotationText);
    if (r.textArea != 0)
        XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaShown, 0}});
    if (m_selectedAnnotation == index) {
        m_selectedAnnotation = -1;
        if (m_annotationMoving != 0) {
            m_annotationMoving = 0;
            m_window.captureMouse(false);
        }
    }
}

void CHarluneSpectrumView::readBackAnnotation(int index)
{
    AnnotationRecord& r = m_annotations[index];
    if (r.textArea == 0)
        return;
    int left = 0, top = 0, width = 0, height = 0;
    XrtTextAreaGetValues(r.textArea, {{kXrtTextAreaLeft, &left},
                                      {kXrtTextAreaTop, &top},
                                      {kXrtTextAreaWidth, &width},
                                      {kXrtTextAreaHeight, &height}});
    r.pixel = {left, top};
    r.rect = {left, top, left + width, top + height};
}

void CHarluneSpectrumView::readBackAnnotations()
{
    for (int i = 0; i < kAnnotationRecords; ++i)
        if (m_annotations[i].inUse != 0)
            readBackAnnotation(i);
}

// Gives the record's text area (made on the record's first use) its anchor, font, text and
// colour and shows it.
void CHarluneSpectrumView::applyAnnotation(int index)
{
    AnnotationRecord& r = m_annotations[index];
    if (r.textArea == 0)
        r.textArea = XrtTextAreaCreate(m_chart);
    if (r.textArea == 0)
        return;
    AnnotationLogFont font = r.font;
    font.lfFaceName[sizeof font.lfFaceName - 1] = '\0';
    // A height from a file may be anything; the chart draws with a sane one.
    if (font.lfHeight > 1000 || font.lfHeight < -1000)
        font.lfHeight = m_annotationFont.height;
    XrtTextAreaSetValues(r.textArea,
                         {{kXrtTextAreaAnchor, 0},
                          {kXrtTextAreaX, r.x},
                          {kXrtTextAreaY, r.y},
                          {kXrtTextAreaFont, overlayChartFont(font)},
                          {kXrtTextAreaStrings, std::vector<std::string>{std::string(r.text)}},
                          {kXrtTextAreaColor, static_cast<int>(r.color)}});
    readBackAnnotation(index);
    XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaShown, 1}});
}

void CHarluneSpectrumView::OnAnnotateHere()
{
    if (!verify(mvPopupAnnotateHere) || m_chart == 0)
        return;
    const auto free = std::find_if(m_annotations.begin(), m_annotations.end(),
                                   [](const AnnotationRecord& r) { return r.inUse == 0; });
    if (free == m_annotations.end())
        return;
    const int index = static_cast<int>(free - m_annotations.begin());
    AnnotationDialogValues values;
    values.color = m_annotationColor;
    values.height = m_annotationFont.height;
    values.face = m_annotationFont.face;
    const auto answer = m_window.runAnnotationDialog(-1, values);
    if (!answer)
        return;
    try {
        AnnotationRecord& r = m_annotations[index];
        r.inUse = 1;
        r.overlaySlot = -1;
        setText(r.text, answer->text);
        XrtMap(m_chart, kXrtMapToData, m_annotationAnchor[0], m_annotationAnchor[1], &r.x, &r.y);
        r.font = AnnotationLogFont{};
        r.font.lfHeight = answer->height;
        std::strncpy(r.font.lfFaceName, answer->face.c_str(), sizeof r.font.lfFaceName - 1);
        r.color = answer->color;
        applyAnnotation(index);
    } catch (const std::exception& e) {
        m_frame.logException(e.what(), __FILE__, __LINE__);
    }
}

void CHarluneSpectrumView::OnAnnotationEdit()
{
    if (!verify(mvPopupAnnotationEdit) || m_selectedAnnotation < 0 || m_chart == 0)
        return;
    const int index = m_selectedAnnotation;
    AnnotationRecord& r = m_annotations[index];
    AnnotationDialogValues values;
    values.text = r.text;
    values.color = r.color;
    values.height = r.font.lfHeight;
    values.face = std::string(r.font.lfFaceName, strnlen(r.font.lfFaceName, 32));
    const auto answer = m_window.runAnnotationDialog(index, values);
    if (!answer)
        return;
    try {
        setText(r.text, answer->text);
        XrtMap(m_chart, kXrtMapToData, m_annotationAnchor[0], m_annotationAnchor[1], &r.x, &r.y);
        r.font.lfHeight = answer->height;
        std::memset(r.font.lfFaceName, 0, sizeof r.font.lfFaceName);
        std::strncpy(r.font.lfFaceName, answer->face.c_str(), sizeof r.font.lfFaceName - 1);
        r.color = answer->color;
        applyAnnotation(index);
    } catch (const std::exception& e) {
        m_frame.logException(e.what(), __FILE__, __LINE__);
    }
}

void CHarluneSpectrumView::OnAnnotationMove()
{
    if (!verify(mvPopupAnnotationMove) || m_selectedAnnotation < 0)
        return;
    m_annotationMoving = 1;
    m_window.captureMouse(true);
}

void CHarluneSpectrumView::OnMouseMove(int x, int y)
{
    if (m_annotationMoving == 0 || m_selectedAnnotation < 0 || m_chart == 0 || m_destroyed != 0)
        return;
    AnnotationRecord& r = m_annotations[m_selectedAnnotation];
    if (r.textArea == 0)
        return;
    XrtMap(m_chart, kXrtMapToData, x, y, &r.x, &r.y);
    XrtTextAreaSetValues(r.textArea, {{kXrtTextAreaX, r.x}, {kXrtTextAreaY, r.y}});
    readBackAnnotation(m_selectedAnnotation);
}

void CHarluneSpectrumView::OnAnnotationClear()
{
    if (!verify(mvPopupAnnotationClear) || m_selectedAnnotation < 0)
        return;
    freeAnnotation(m_selectedAnnotation);
}

void CHarluneSpectrumView::OnAnnotationClearAll()
{
    if (!verify(mvPopupAnnotationClearAll))
        return;
    for (int i = 0; i < kAnnotationRecords; ++i)
        if (m_annotations[i].inUse != 0)
            freeAnnotation(i);
}

int CHarluneSpectrumView::WriteAnnotations(const std::string& dataFile)
{
    const auto count = std::count_if(m_annotations.begin(), m_annotations.end(),
                                     [](const AnnotationRecord& r) { return r.inUse != 0; });
    if (count == 0)
        return 0;
    std::string bytes;
    bytes.reserve(4 + kAnnoRecordBytes * static_cast<std::size_t>(count));
    put(bytes, static_cast<int32_t>(count));
    for (const AnnotationRecord& r : m_annotations) {
        if (r.inUse == 0)
            continue;
        // The text's field is written with zeros after its terminator.
        char text[100] = {};
        std::memcpy(text, r.text, strnlen(r.text, sizeof r.text - 1));
        bytes.append(text, sizeof text);
        for (const int32_t v : r.rect)
            put(bytes, v);
        for (const int32_t v : r.pixel)
            put(bytes, v);
        put(bytes, r.x);
        put(bytes, r.y);
        put(bytes, static_cast<uint32_t>(r.color));
        put(bytes, r.font);
    }
    return writeFileAtomically(dataFile + ".anno", bytes) ? 1 : 0;
}

int CHarluneSpectrumView::ReadAnnotations(const std::string& dataFile, int clearFirst,
                                          int overlaySlot)
{
    try {
        std::ifstream in(dataFile + ".anno", std::ios::binary);
        if (!in)
            return 0;
        // More than 200 records can never be taken: read no further than that.
        constexpr std::size_t kMaxBytes = 4 + kAnnoRecordBytes * kAnnotationRecords;
        std::string bytes(kMaxBytes, '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(kMaxBytes));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        if (bytes.size() < 4)
            return 0;
        const int32_t count = take<int32_t>(bytes.data());
        const std::size_t whole = (bytes.size() - 4) / kAnnoRecordBytes;
        const std::size_t records =
            count <= 0 ? 0 : std::min(static_cast<std::size_t>(count), whole);
        // A file that holds nothing readable leaves the window's notes alone.
        if (records == 0)
            return 0;
        if (clearFirst == 1)
            OnAnnotationClearAll();
        int next = 0;
        for (std::size_t k = 0; k < records; ++k) {
            while (next < kAnnotationRecords && m_annotations[next].inUse != 0)
                ++next;
            if (next == kAnnotationRecords)
                break;
            AnnotationRecord& r = m_annotations[next];
            const char* p = bytes.data() + 4 + k * kAnnoRecordBytes;
            std::string text(p, strnlen(p, 100));
            setText(r.text, text);
            for (int i = 0; i < 4; ++i)
                r.rect[i] = take<int32_t>(p + 100 + 4 * i);
            r.pixel = {take<int32_t>(p + 116), take<int32_t>(p + 120)};
            r.x = take<double>(p + 124);
            r.y = take<double>(p + 132);
            if (!std::isfinite(r.x))
                r.x = 0.0;
            if (!std::isfinite(r.y))
                r.y = 0.0;
            r.color = take<uint32_t>(p + 140) & 0xFFFFFF;
            r.font = take<AnnotationLogFont>(p + 144);
            r.font.lfFaceName[sizeof r.font.lfFaceName - 1] = '\0';
            r.overlaySlot = overlaySlot;
            r.inUse = 1;
            if (m_chart != 0)
                applyAnnotation(next);
        }
        if (m_chart != 0)
            XrtSetValues(m_chart, {{kXrtRepaint, 1}});
        readBackAnnotations();
        return 1;
    } catch (const std::exception& e) {
        m_frame.logException(e.what(), __FILE__, __LINE__);
    }
    return 0;
}

void CHarluneSpectrumView::destroyAnnotationAreas()
{
    for (AnnotationRecord& r : m_annotations) {
        if (r.textArea != 0)
            XrtTextAreaDestroy(r.textArea);
        r.textArea = 0;
    }
}

void CHarluneSpectrumView::recolourAnnotations(bool black)
{
    for (const AnnotationRecord& r : m_annotations)
        if (r.inUse != 0 && r.textArea != 0)
            XrtTextAreaSetValues(r.textArea,
                                 {{kXrtTextAreaColor, black ? 0 : static_cast<int>(r.color)}});
}
