#include "app/res/ResourceIds.h"
#include "app/spectrum/HarluneSpectrumView.h"

#include <algorithm>

using namespace app::res;

namespace {

// The framework's Copy command, which the view answers with "Copy Graphical Spectra".
constexpr unsigned kCommandsEditCopy = 57634;

// Every command the view answers. OnCommand runs exactly these and commandState reports them
// as handled; the window routes these ids into the view and nothing else, so a command added
// here is reachable from its menu item, its key and its buttons at once.
constexpr CHarluneSpectrumView::CommandRange kCommands[] = {
    // Spectrum menu: stored spectra, snapshot, accessories and processing modes.
    {ID_STORE_DARK},
    {ID_STORE_REFERENCE},
    {ID_SNAPSHOT},
    {ID_SINGLE_EXPOSURE},
    {ID_EMERGENCY_RESET},
    {ID_CONFIGURE_DATA_ACQUISITION},
    {ID_MODE_SCOPE},
    {ID_MODE_SCOPE_MINUS_DARK},
    {ID_MODE_ABSORBANCE},
    {ID_MODE_TRANSMISSION},
    {ID_MODE_IRRADIANCE},
    {ID_MODE_SPECULAR_REFLECTION},
    {ID_MODE_CUSTOM},
    {ID_REFERENCE_COLOR_TEMPERATURE},
    {ID_TAKE_LOG},
    {ID_TIME_NORMALIZED_ENABLE},
    {ID_STORE_REFERENCE_DARK},
    {ID_STORE_SAMPLE_DARK},
    // Spectrometer menu.
    {ID_CONFIGURE_SPECTROMETER},
    {ID_OPEN_CONFIGURATION},
    {ID_SAVE_CONFIGURATION_AS},
    {ID_FEATURES_DIALOG},
    {ID_CONFIGURE_STANDARD_CORRECTION},
    {ID_CONFIGURE_STANDARD_CORRECTION_2},
    // File menu: open, save, autoincrement; the tool bars' data commands.
    {ID_OPEN_DARK},
    {ID_OPEN_SAMPLE_DARK},
    {ID_OPEN_REFERENCE},
    {ID_OPEN_SAMPLE},
    {ID_OPEN_PROCESSED},
    {ID_OPEN_EXPERIMENT},
    {ID_SAVE_DARK},
    {ID_SAVE_SAMPLE_DARK},
    {ID_SAVE_REFERENCE},
    {ID_SAVE_SAMPLE},
    {ID_SAVE_PROCESSED},
    {ID_SAVE_EXPERIMENT},
    {ID_AUTOINCREMENT_ENABLED},
    {ID_AUTOINCREMENT_SHOW_NAME},
    {ID_AUTOINCREMENT_CONFIGURE},
    {ID_FILE_OPEN_DATA},
    {ID_FILE_SAVE_DATA},
    // Edit menu and the copy button.
    {kCommandsEditCopy},
    {ID_COPY_SPECTRA},
    {ID_COPY_DATA_ALL},
    {ID_COPY_DATA_SELECTED},
    {ID_EDIT_SETTINGS},
    // View menu: display, scale, background, cursor, grid and legend.
    {ID_DISPLAY_PROPERTIES},
    {ID_GRAPH_BACKGROUND_COLOR},
    {ID_AXIS_TEXT_PROPERTIES},
    {ID_SET_GRAPH_TITLE},
    {ID_RENAME_SPECTRAL_WINDOW},
    {ID_SAVE_DISPLAY_SETTINGS},
    {ID_RESTORE_DISPLAY_SETTINGS},
    {ID_SCALE_AUTOSCALE},
    {ID_SCALE_SET_SCALE},
    {ID_SCALE_UNSCALE},
    {ID_BACKGROUND_VISIBLE},
    {ID_BACKGROUND_SELECT_BITMAP},
    {ID_CURSOR_ENABLED},
    {ID_CURSOR_CONFIGURE},
    {ID_CURSOR_PEAK_LEFT},
    {ID_CURSOR_BIG_LEFT},
    {ID_CURSOR_LEFT},
    {ID_CURSOR_RIGHT},
    {ID_CURSOR_BIG_RIGHT},
    {ID_CURSOR_PEAK_RIGHT},
    {ID_GRID_ENABLED},
    {ID_GRID_CONFIGURE},
    {ID_LEGEND_ENABLED},
    {ID_LEGEND_CONFIGURE},
    {ID_LEGEND_SHOW_OVERLAY_FILENAME},
    // Overlay menu.
    {ID_OVERLAY_FIRST, ID_OVERLAY_LAST},
    {ID_OVERLAY_CLEAR_ALL},
    // Time Acquisition menu and its tool bar.
    {ID_TIME_ACTIVATE},
    {ID_TIME_START},
    {ID_TIME_PAUSE},
    {ID_TIME_STOP},
    {ID_TIME_SUSPEND_GRAPH},
    {ID_TIME_SAVE_DATA},
    {ID_TIME_OPEN},
    {ID_TIME_CONFIGURE_ACQUISITION},
    {ID_TIME_CONFIGURE_CHANNELS},
    {ID_TIME_RESTORE_PARAMETERS},
    {ID_TIME_SAVE_PARAMETERS},
    // The context menu's annotation commands.
    {ID_ANNOTATE_HERE},
    {ID_ANNOTATION_EDIT},
    {ID_ANNOTATION_MOVE},
    {ID_ANNOTATION_CLEAR},
    {ID_ANNOTATION_CLEAR_ALL},
};

} // namespace

std::span<const CHarluneSpectrumView::CommandRange> CHarluneSpectrumView::commandTable()
{
    return kCommands;
}

bool CHarluneSpectrumView::answersCommand(unsigned id)
{
    return std::any_of(std::begin(kCommands), std::end(kCommands),
                       [id](const CommandRange& row) { return row.contains(id); });
}
