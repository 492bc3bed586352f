#include "app/res/HarluneResources.h"

#include "app/res/ResourceIds.h"

#include <algorithm>
#include <array>

namespace app::res {

namespace {

using namespace platform::framework;

// Framework commands the menus use.
constexpr unsigned kFileClose = 57602;
constexpr unsigned kFilePrintSetup = 57606;
constexpr unsigned kFilePrint = 57607;
constexpr unsigned kFilePrintPreview = 57609;
constexpr unsigned kEditCut = 57635;
constexpr unsigned kEditCopy = 57634;
constexpr unsigned kEditPaste = 57637;
constexpr unsigned kWindowArrange = 57649;
constexpr unsigned kWindowCascade = 57650;
constexpr unsigned kWindowTileHorizontally = 57651;
constexpr unsigned kWindowTileVertically = 57652;
constexpr unsigned kAppAbout = 57664;
constexpr unsigned kAppExit = 57665;

// Joins menu tables into one.
template <size_t... N> constexpr auto join(const std::array<MenuEntry, N>&... parts)
{
    std::array<MenuEntry, (N + ...)> joined{};
    size_t next = 0;
    ((std::copy(parts.begin(), parts.end(), joined.begin() + next), next += parts.size()), ...);
    return joined;
}

// Menus shared by every window: scripting, windows and help, and the tool-bar sub-menus.
constexpr auto kScriptMenu = std::to_array<MenuEntry>({
    menuPopup("S&cript"),
    menuItem(ID_SCRIPT_SHOW_IDE, "Show &IDE"),
    menuItem(ID_SCRIPT_OPEN_AND_EXECUTE, "&Open and Execute Script..."),
    menuItem(ID_SCRIPT_RUN, "&Run Script"),
    menuItem(ID_SCRIPT_PAUSE, "&Pause Script"),
    menuItem(ID_SCRIPT_STOP, "&Stop Script"),
    menuSeparator(),
    menuItem(ID_SCRIPT_EVENT_MODE, "&Event-driven Mode"),
    menuSeparator(),
    menuPopup("AutoRun Script"),
    menuItem(ID_AUTORUN_ENABLED, "&Enabled"),
    menuItem(ID_AUTORUN_SELECT_SCRIPT, "Select Script..."),
    menuEnd(),
    menuPopup("Recent Scripts"),
    menuItem(ID_RECENT_SCRIPT_FIRST, "Recent Scripts"),
    menuEnd(),
    menuEnd(),
});

constexpr auto kWindowAndHelpMenus = std::to_array<MenuEntry>({
    menuPopup("&Window"),
    menuItem(kWindowCascade, "&Cascade"),
    menuItem(kWindowTileHorizontally, "Tile &Horizontally"),
    menuItem(kWindowTileVertically, "&Tile Vertically"),
    menuItem(kWindowArrange, "&Arrange Icons"),
    menuEnd(),
    menuPopup("&Help"),
    menuItem(ID_HELP_SHOW_CONTENTS, "&Contents"),
    menuItem(ID_HELP_SHOW_INDEX, "&Index"),
    menuItem(ID_HELP_ALWAYS_ON_TOP, "Always on &Top"),
    menuSeparator(),
    menuItem(kAppAbout, "&About Harlune..."),
    menuEnd(),
});

constexpr auto kMainToolBarsMenu = std::to_array<MenuEntry>({
    menuPopup("&Main Toolbars..."),
    menuItem(ID_VIEW_TOOLBAR_GENERAL, "&General"),
    menuItem(ID_VIEW_TOOLBAR_TUNDRA, "&Tundra"),
    menuItem(ID_VIEW_TOOLBAR_GLOBAL, "G&lobal"),
    menuEnd(),
});

constexpr auto kSpectrumToolBarsMenu = std::to_array<MenuEntry>({
    menuPopup("Spectrum &Toolbar..."),
    menuItem(ID_VIEW_ACQUISITION_PARAMETERS, "&Acquisition Parameters"),
    menuItem(ID_VIEW_SPECTRUM_CONTROLS, "&Spectrum Controls"),
    menuItem(ID_VIEW_CURSOR_CONTROLS, "&Cursor"),
    menuItem(ID_VIEW_GRAPH_SCALE, "&Graph Scale"),
    menuItem(ID_VIEW_SPECTRAL_VIEW_MODE, "Spectral &View Mode"),
    menuItem(ID_VIEW_TIME_ACQUISITION, "&Time Acquisition"),
    menuItem(ID_VIEW_USB_MAVRIN, "USB-Mavrin"),
    menuItem(ID_VIEW_WESSOR_ULMAR, "&Wessor/Ulmar"),
    menuItem(ID_VIEW_USB_NORREL, "USB-Norrel"),
    menuItem(ID_VIEW_QUINTAR, "&Quintar"),
    menuEnd(),
});

constexpr auto kMainMenuPart1 = std::to_array<MenuEntry>({
    menuPopup("&File"),
    menuItem(ID_FILE_NEW_SPECTRUM, "&New\tCtrl+N"),
    menuItem(ID_NEW_GRID_WINDOW, "&Grid Window..."),
    menuItem(ID_NEW_GRAPH_WINDOW, "Graph Window..."),
    menuSeparator(),
    menuItem(kFilePrintSetup, "P&rint Setup..."),
    menuSeparator(),
    menuItem(kAppExit, "E&xit"),
    menuEnd(),
    menuPopup("&View"),
});

constexpr auto kMainMenuPart2 = std::to_array<MenuEntry>({
    menuItem(ID_VIEW_MAIN_STATUS_BAR, "M&ain Status Bar"),
    menuEnd(),
});

constexpr auto kMainMenu =
    join(kMainMenuPart1, kMainToolBarsMenu, kMainMenuPart2, kScriptMenu, kWindowAndHelpMenus);

constexpr auto kSpectrumMenuPart1 = std::to_array<MenuEntry>({
    menuPopup("&File"),
    menuItem(ID_FILE_NEW_SPECTRUM, "&New\tCtrl+N"),
    menuItem(ID_NEW_GRID_WINDOW, "&Grid Window..."),
    menuItem(ID_NEW_GRAPH_WINDOW, "Graph Window..."),
    menuItem(kFileClose, "&Close"),
    menuSeparator(),
    menuPopup("&Open"),
    menuItem(ID_OPEN_DARK, "&Dark..."),
    menuItem(ID_OPEN_SAMPLE_DARK, "Sample Dar&k..."),
    menuItem(ID_OPEN_REFERENCE, "&Reference..."),
    menuItem(ID_OPEN_SAMPLE, "&Sample..."),
    menuItem(ID_OPEN_PROCESSED, "&Processed..."),
    menuItem(ID_OPEN_EXPERIMENT, "&Experiment..."),
    menuEnd(),
    menuPopup("&Save"),
    menuItem(ID_SAVE_DARK, "&Dark..."),
    menuItem(ID_SAVE_SAMPLE_DARK, "Sample Dar&k..."),
    menuItem(ID_SAVE_REFERENCE, "&Reference..."),
    menuItem(ID_SAVE_SAMPLE, "&Sample..."),
    menuItem(ID_SAVE_PROCESSED, "&Processed..."),
    menuItem(ID_SAVE_EXPERIMENT, "&Experiment..."),
    menuEnd(),
    menuPopup("&Autoincrement Filenames"),
    menuItem(ID_AUTOINCREMENT_ENABLED, "&Enabled"),
    menuItem(ID_AUTOINCREMENT_SHOW_NAME, "Show &Name"),
    menuItem(ID_AUTOINCREMENT_CONFIGURE, "&Configure..."),
    menuEnd(),
    menuSeparator(),
    menuItem(kFilePrint, "&Print...\tCtrl+P"),
    menuItem(kFilePrintPreview, "Print Pre&view"),
    menuItem(kFilePrintSetup, "P&rint Setup..."),
    menuSeparator(),
    menuItem(kAppExit, "E&xit"),
    menuEnd(),
    menuPopup("&Edit"),
    menuItem(kEditCopy, "&Copy Graphical Spectra\tCtrl+C"),
    menuPopup("Copy Spectral &Data"),
    menuItem(ID_COPY_DATA_ALL, "&All Spectrometer Channels"),
    menuItem(ID_COPY_DATA_SELECTED, "&Selected Spectrometer Channels..."),
    menuEnd(),
    menuSeparator(),
    menuItem(ID_EDIT_SETTINGS, "&Settings..."),
    menuEnd(),
    menuPopup("&View"),
    menuItem(ID_DISPLAY_PROPERTIES, "&Display Properties..."),
    menuItem(ID_GRAPH_BACKGROUND_COLOR, "Set Graph &Background Color..."),
    menuItem(ID_AXIS_TEXT_PROPERTIES, "Set Axis Text Properties..."),
    menuItem(ID_SET_GRAPH_TITLE, "Set &Graph Title..."),
    menuItem(ID_RENAME_SPECTRAL_WINDOW, "Rename Spectral &Window..."),
    menuPopup("Display &Property Files"),
    menuItem(ID_SAVE_DISPLAY_SETTINGS, "&Save Display Settings..."),
    menuItem(ID_RESTORE_DISPLAY_SETTINGS, "&Restore Display Settings..."),
    menuEnd(),
    menuSeparator(),
    menuPopup("Spectrum S&cale"),
    menuItem(ID_SCALE_AUTOSCALE, "&Autoscale"),
    menuItem(ID_SCALE_SET_SCALE, "&Set Scale"),
    menuItem(ID_SCALE_UNSCALE, "&Unscale"),
    menuEnd(),
    menuPopup("Background &Image"),
    menuItem(ID_BACKGROUND_VISIBLE, "&Visible"),
    menuItem(ID_BACKGROUND_SELECT_BITMAP, "Select Bitmap..."),
    menuEnd(),
    menuPopup("C&ursor"),
    menuItem(ID_CURSOR_ENABLED, "&Enabled"),
    menuItem(ID_CURSOR_CONFIGURE, "&Configure..."),
    menuSeparator(),
    menuItem(ID_CURSOR_PEAK_LEFT, "Move cursor to the next peak to the left"),
    menuItem(ID_CURSOR_BIG_LEFT, "Move cursor 25 pixels to the left"),
    menuItem(ID_CURSOR_LEFT, "Move cursor 1 pixel to the left"),
    menuItem(ID_CURSOR_RIGHT, "Move cursor 1 pixel to the right"),
    menuItem(ID_CURSOR_BIG_RIGHT, "Move cursor 25 pixels to the right"),
    menuItem(ID_CURSOR_PEAK_RIGHT, "Move cursor to the next peak to the right"),
    menuEnd(),
    menuPopup("G&rid"),
    menuItem(ID_GRID_ENABLED, "&Enabled"),
    menuItem(ID_GRID_CONFIGURE, "&Configure..."),
    menuEnd(),
    menuPopup("&Legend"),
    menuItem(ID_LEGEND_ENABLED, "&Enabled"),
    menuItem(ID_LEGEND_CONFIGURE, "&Configure..."),
    menuItem(ID_LEGEND_SHOW_OVERLAY_FILENAME, "&Show Overlay Filename"),
    menuEnd(),
    menuSeparator(),
});

constexpr auto kSpectrumMenuPart2 = std::to_array<MenuEntry>({
    menuItem(ID_VIEW_MAIN_STATUS_BAR, "M&ain Status Bar"),
    menuItem(ID_VIEW_SPECTRUM_STATUS_BAR, "Spectrum Status &Bar"),
    menuEnd(),
    menuPopup("&Overlay"),
    menuItem(ID_OVERLAY_FIRST, "Overlay &1"),
    menuItem(ID_OVERLAY_FIRST + 1, "Overlay &2"),
    menuItem(ID_OVERLAY_FIRST + 2, "Overlay &3"),
    menuItem(ID_OVERLAY_FIRST + 3, "Overlay &4"),
    menuItem(ID_OVERLAY_FIRST + 4, "Overlay &5"),
    menuItem(ID_OVERLAY_FIRST + 5, "Overlay &6"),
    menuItem(ID_OVERLAY_FIRST + 6, "Overlay &7"),
    menuItem(ID_OVERLAY_LAST, "Overlay &8"),
    menuSeparator(),
    menuItem(ID_OVERLAY_CLEAR_ALL, "Clear All"),
    menuEnd(),
    menuPopup("Spectro&meter"),
    menuItem(ID_CONFIGURE_SPECTROMETER, "Configure..."),
    menuItem(ID_OPEN_CONFIGURATION, "Open Configuration..."),
    menuItem(ID_SAVE_CONFIGURATION_AS, "Save Configuration As..."),
    menuSeparator(),
    menuItem(ID_FEATURES_DIALOG, "&Trevan/Solvi+ Features...\tF2"),
    menuItem(ID_CONFIGURE_STANDARD_CORRECTION, "Configure &Standard Correction..."),
    menuEnd(),
    menuPopup("&Spectrum"),
    menuItem(ID_STORE_DARK, "Store &Dark\tCtrl+D"),
    menuItem(ID_STORE_REFERENCE, "Store &Reference\tCtrl+R"),
    menuItem(ID_SNAPSHOT, "Sna&pshot"),
    menuItem(ID_SINGLE_EXPOSURE, "Single E&xposure\tCtrl+Z"),
    menuItem(ID_EMERGENCY_RESET, "Emergency &Reset"),
    menuItem(ID_KICK_START, "&Kick Start"),
    menuItem(ID_CONFIGURE_DATA_ACQUISITION, "Configure &Data Acquisition..."),
    menuSeparator(),
    menuItem(ID_MODE_SCOPE, "&Scope Mode\tCtrl+Shift+S"),
    menuItem(ID_MODE_SCOPE_MINUS_DARK, "Scope Mode &Minus Dark\tCtrl+Shift+M"),
    menuItem(ID_MODE_ABSORBANCE, "&Absorbance Mode\tCtrl+Shift+A"),
    menuItem(ID_MODE_TRANSMISSION, "&Transmission Mode\tCtrl+Shift+T"),
    menuItem(ID_MODE_IRRADIANCE, "Relative &Irradiance Mode\tCtrl+Shift+I"),
    menuItem(ID_MODE_SPECULAR_REFLECTION, "Specular Re&flection Mode\tCtrl+Shift+R"),
    menuItem(ID_MODE_CUSTOM, "Script-defined C&ustom Mode\tCtrl+Shift+C"),
    menuItem(ID_REFERENCE_COLOR_TEMPERATURE, "Reference &Color Temperature..."),
    menuItem(ID_TAKE_LOG, "Take &Log of Vertical Scale"),
    menuSeparator(),
    menuPopup("&Global"),
    menuItem(ID_GLOBAL_STORE_DARK, "Store Global &Dark\tCtrl+Alt+D"),
    menuItem(ID_GLOBAL_STORE_REFERENCE, "Store Global &Reference\tCtrl+Alt+R"),
    menuItem(ID_GLOBAL_SNAPSHOT, "Global &Snapshot"),
    menuItem(ID_GLOBAL_EMERGENCY_RESET, "Global Emergency &Reset"),
    menuEnd(),
    menuPopup("Time &Normalized Intensity"),
    menuItem(ID_TIME_NORMALIZED_ENABLE, "&Enable"),
    menuItem(ID_STORE_REFERENCE_DARK, "Store &Reference Dark"),
    menuItem(ID_STORE_SAMPLE_DARK, "Store &Sample Dark"),
    menuEnd(),
    menuEnd(),
    menuPopup("&Time Acquisition"),
    menuItem(ID_TIME_ACTIVATE, "&Activate Time Acquisition"),
    menuItem(ID_TIME_START, "&Start"),
    menuItem(ID_TIME_PAUSE, "&Pause"),
    menuItem(ID_TIME_STOP, "S&top"),
    menuItem(ID_TIME_SUSPEND_GRAPH, "Suspend &Graph Display"),
    menuItem(ID_TIME_SAVE_DATA, "S&ave Data..."),
    menuSeparator(),
    menuPopup("&Configure"),
    menuItem(ID_TIME_CONFIGURE_ACQUISITION, "&Configure Acquisition..."),
    menuItem(ID_TIME_CONFIGURE_CHANNELS, "Configure Time Channels..."),
    menuItem(ID_TIME_RESTORE_PARAMETERS, "&Restore Parameters..."),
    menuItem(ID_TIME_SAVE_PARAMETERS, "Save Parameters..."),
    menuEnd(),
    menuEnd(),
});

constexpr auto kSpectrumMenu = join(kSpectrumMenuPart1, kMainToolBarsMenu, kSpectrumToolBarsMenu,
                                    kSpectrumMenuPart2, kScriptMenu, kWindowAndHelpMenus);

constexpr auto kGridMenuPart1 = std::to_array<MenuEntry>({
    menuPopup("&File"),
    menuItem(ID_FILE_OPEN_DATA, "Open &CSV File..."),
    menuItem(ID_GRID_OPEN_SPECTRUM_FILE, "Open &Spectrum File..."),
    menuItem(ID_GRID_SAVE_CURRENT_SHEET, "Save C&urrent Sheet..."),
    menuItem(ID_FILE_SAVE_DATA, "Save &All Sheets..."),
    menuSeparator(),
    menuItem(kFilePrint, "&Print...\tCtrl+P"),
    menuItem(kFilePrintPreview, "Print Pre&view"),
    menuItem(kFilePrintSetup, "P&rint Setup..."),
    menuSeparator(),
    menuItem(kFileClose, "&Close"),
    menuItem(kAppExit, "E&xit"),
    menuEnd(),
    menuPopup("&Edit"),
    menuItem(kEditCut, "Cu&t\tCtrl+X"),
    menuItem(kEditCopy, "&Copy\tCtrl+C"),
    menuItem(kEditPaste, "&Paste\tCtrl+V"),
    menuEnd(),
});

constexpr auto kGridMenu = join(kGridMenuPart1, kScriptMenu, kWindowAndHelpMenus);

constexpr auto kGraphMenuPart1 = std::to_array<MenuEntry>({
    menuPopup("&File"),
    menuItem(ID_FILE_SAVE_DATA, "Save..."),
    menuItem(ID_GRAPH_SAVE_SETTINGS_DEFAULT, "Save Settings as Default..."),
    menuSeparator(),
    menuItem(kFilePrint, "Print..."),
    menuItem(kFilePrintPreview, "Print Preview..."),
    menuSeparator(),
    menuItem(kFileClose, "Close"),
    menuItem(kAppExit, "E&xit"),
    menuEnd(),
    menuPopup("&Edit"),
    menuItem(kEditCopy, "Copy"),
    menuEnd(),
    menuPopup("&View"),
    menuItem(ID_GRAPH_TRACES, "Traces..."),
    menuPopup("Scale"),
    menuItem(ID_GRAPH_AUTOSCALE_Y, "Autoscale Y"),
    menuItem(ID_GRAPH_AUTOSCALE_X, "Autoscale X"),
    menuItem(ID_GRAPH_SET_SCALE, "Set Scale..."),
    menuItem(ID_GRAPH_UNSCALE, "Unscale"),
    menuEnd(),
    menuPopup("Colors"),
    menuItem(ID_GRAPH_BACKGROUND, "Background Color"),
    menuItem(ID_GRAPH_FOREGROUND, "Foreground Color"),
    menuEnd(),
    menuPopup("Grid"),
    menuItem(ID_GRAPH_GRID_ENABLED, "Enabled"),
    menuItem(ID_GRAPH_GRID_CONFIGURE, "Configure..."),
    menuEnd(),
    menuPopup("Cursor"),
    menuItem(ID_GRAPH_CURSOR_ENABLED, "Enabled"),
    menuItem(ID_GRAPH_CURSOR_CONFIGURE, "Configure..."),
    menuEnd(),
    menuPopup("Legend"),
    menuItem(ID_GRAPH_LEGEND_ENABLED, "Enabled"),
    menuItem(ID_GRAPH_LEGEND_FLOATING, "Floating"),
    menuItem(ID_GRAPH_LEGEND_CONFIGURE, "Configure..."),
    menuEnd(),
    menuPopup("Titles"),
    menuItem(ID_GRAPH_TITLE_X, "X Axis..."),
    menuItem(ID_GRAPH_TITLE_Y, "Y Axis..."),
    menuItem(ID_GRAPH_TITLE_MAIN, "Main..."),
    menuEnd(),
    menuEnd(),
});

constexpr auto kGraphMenu = join(kGraphMenuPart1, kScriptMenu, kWindowAndHelpMenus);

constexpr auto kTemplateMenu = std::to_array<MenuEntry>({
    menuPopup("Test Menu for Template"),
    menuItem(ID_TEMPLATE_TEST, "Test"),
    menuEnd(),
});

constexpr auto kToolBarsPopup = join(kMainToolBarsMenu, kSpectrumToolBarsMenu);

constexpr auto kSpectrumPopup = std::to_array<MenuEntry>({
    menuPopup("General_Popup"),
    menuItem(ID_STORE_DARK, "Store &Dark"),
    menuItem(ID_STORE_REFERENCE, "Store &Reference"),
    menuPopup("&View Mode"),
    menuItem(ID_MODE_SCOPE, "&Scope Mode"),
    menuItem(ID_MODE_SCOPE_MINUS_DARK, "Scope Mode &Minus Dark"),
    menuItem(ID_MODE_ABSORBANCE, "&Absorbance Mode"),
    menuItem(ID_MODE_TRANSMISSION, "&Transmission Mode"),
    menuItem(ID_MODE_IRRADIANCE, "Relative &Irradiance Mode"),
    menuItem(ID_MODE_SPECULAR_REFLECTION, "Specular Re&flection Mode"),
    menuItem(ID_MODE_CUSTOM, "Script-defined C&ustom Mode"),
    menuEnd(),
    menuItem(ID_SCALE_AUTOSCALE, "&Autoscale"),
    menuPopup("&Cursor"),
    menuItem(ID_CURSOR_ENABLED, "&Enabled"),
    menuItem(ID_CURSOR_CONFIGURE, "&Configure..."),
    menuEnd(),
    menuSeparator(),
    menuItem(ID_ANNOTATE_HERE, "A&nnotate Here..."),
    menuEnd(),
    menuPopup("Annotation_Popup"),
    menuItem(ID_ANNOTATION_EDIT, "&Edit..."),
    menuItem(ID_ANNOTATION_MOVE, "&Move"),
    menuItem(ID_ANNOTATION_CLEAR, "&Clear"),
    menuItem(ID_ANNOTATION_CLEAR_ALL, "Clear &All"),
    menuEnd(),
});

constexpr MenuResource kMenus[] = {
    {IDR_MAINFRAME, kMainMenu},           {IDR_SPECTRUMTYPE, kSpectrumMenu},
    {IDR_TEMPLATETYPE, kTemplateMenu},    {IDR_GRIDTYPE, kGridMenu},
    {IDR_GRAPHTYPE, kGraphMenu},          {IDR_POPUP_TOOLBARS, kToolBarsPopup},
    {IDR_SPECTRUM_POPUP, kSpectrumPopup},
};

constexpr Accelerator kMainAccelerators[] = {
    {"Ctrl+N", ID_FILE_NEW_SPECTRUM},
};

constexpr Accelerator kSpectrumAccelerators[] = {
    {"Ctrl+N", ID_FILE_NEW_SPECTRUM},
    {"Ctrl+P", kFilePrint},
    {"Ctrl+C", kEditCopy},
    {"F2", ID_FEATURES_DIALOG},
    {"Ctrl+D", ID_STORE_DARK},
    {"Ctrl+R", ID_STORE_REFERENCE},
    {"Ctrl+Z", ID_SINGLE_EXPOSURE},
    {"Ctrl+Shift+S", ID_MODE_SCOPE},
    {"Ctrl+Shift+M", ID_MODE_SCOPE_MINUS_DARK},
    {"Ctrl+Shift+A", ID_MODE_ABSORBANCE},
    {"Ctrl+Shift+T", ID_MODE_TRANSMISSION},
    {"Ctrl+Shift+I", ID_MODE_IRRADIANCE},
    {"Ctrl+Shift+R", ID_MODE_SPECULAR_REFLECTION},
    {"Ctrl+Shift+C", ID_MODE_CUSTOM},
    {"Ctrl+Alt+D", ID_GLOBAL_STORE_DARK},
    {"Ctrl+Alt+R", ID_GLOBAL_STORE_REFERENCE},
};

constexpr Accelerator kGridAccelerators[] = {
    {"Ctrl+P", kFilePrint},
    {"Ctrl+X", kEditCut},
    {"Ctrl+C", kEditCopy},
    {"Ctrl+V", kEditPaste},
};

constexpr AcceleratorResource kAccelerators[] = {
    {IDR_MAINFRAME, kMainAccelerators},
    {IDR_SPECTRUMTYPE, kSpectrumAccelerators},
    {IDR_GRIDTYPE, kGridAccelerators},
};

constexpr unsigned kGeneralButtons[] = {
    ID_NEW_GRID_WINDOW, ID_NEW_GRAPH_WINDOW,     0,
    kWindowCascade,     kWindowTileHorizontally, kWindowTileVertically};
constexpr unsigned kTundraButtons[] = {
    ID_FILE_NEW_SPECTRUM, ID_FILE_OPEN_DATA, ID_FILE_SAVE_DATA, 0, kFilePrint, ID_COPY_SPECTRA,
};
constexpr unsigned kGlobalButtons[] = {
    ID_GLOBAL_STORE_DARK,
    ID_GLOBAL_STORE_REFERENCE,
    ID_GLOBAL_SNAPSHOT,
    ID_GLOBAL_EMERGENCY_RESET,
    0,
    ID_KICK_START,
};
constexpr unsigned kHiddenButtons[] = {ID_FILE_OPEN_DATA, ID_FILE_SAVE_DATA};
constexpr unsigned kSpectrumButtons[] = {
    ID_STORE_DARK,
    ID_STORE_REFERENCE,
    ID_SNAPSHOT,
    ID_SINGLE_EXPOSURE,
    0,
    ID_EMERGENCY_RESET,
    ID_CONFIGURE_DATA_ACQUISITION,
};
constexpr unsigned kViewModeButtons[] = {
    ID_MODE_SCOPE,      ID_MODE_SCOPE_MINUS_DARK,    ID_MODE_ABSORBANCE, ID_MODE_TRANSMISSION,
    ID_MODE_IRRADIANCE, ID_MODE_SPECULAR_REFLECTION, ID_MODE_CUSTOM,
};
constexpr unsigned kScaleButtons[] = {ID_SCALE_AUTOSCALE, ID_SCALE_SET_SCALE, ID_SCALE_UNSCALE};
constexpr unsigned kCursorButtons[] = {
    ID_CURSOR_ENABLED, ID_CURSOR_PEAK_LEFT, ID_CURSOR_BIG_LEFT,   ID_CURSOR_LEFT,
    ID_CURSOR_RIGHT,   ID_CURSOR_BIG_RIGHT, ID_CURSOR_PEAK_RIGHT,
};
constexpr unsigned kTimeButtons[] = {
    ID_TIME_ACTIVATE, ID_TIME_START,         ID_TIME_PAUSE,
    ID_TIME_STOP,     ID_TIME_SUSPEND_GRAPH, ID_TIME_SAVE_DATA,
};
constexpr unsigned kGraphButtons[] = {
    ID_GRAPH_AUTOSCALE_X, ID_GRAPH_AUTOSCALE_Y, ID_GRAPH_SET_SCALE, ID_GRAPH_UNSCALE, 0, kEditCopy,
    kFilePrint,
};

constexpr ToolBarResource kToolBars[] = {
    {IDR_TOOLBAR_GENERAL, "General Functions", kGeneralButtons},
    {IDR_TOOLBAR_TUNDRA, "Tundra Functions", kTundraButtons},
    {IDR_TOOLBAR_GLOBAL, "Global Functions", kGlobalButtons},
    {IDR_TOOLBAR_HIDDEN, "hidden", kHiddenButtons},
    {IDR_TOOLBAR_SPECTRUM, "Spectrum Controls", kSpectrumButtons},
    {IDR_TOOLBAR_VIEW_MODE, "Spectral View Mode", kViewModeButtons},
    {IDR_TOOLBAR_SCALE, "Graph Scale", kScaleButtons},
    {IDR_TOOLBAR_CURSOR, "Cursor Controls", kCursorButtons},
    {IDR_TOOLBAR_TIME, "Time Acquisition", kTimeButtons},
    {IDR_TOOLBAR_GRAPH, "Graph Functions", kGraphButtons},
};

constexpr CommandPrompt kPrompts[] = {
    {ID_NEW_GRID_WINDOW, "Open a new grid window\nNew Grid"},
    {ID_NEW_GRAPH_WINDOW, "Open a new graph window\nNew Graph"},
    {kWindowCascade, "Arrange windows so they overlap\nCascade Windows"},
    {kWindowTileHorizontally, "Arrange windows as non-overlapping tiles\nTile Horizontally"},
    {kWindowTileVertically, "Arrange windows side by side\nTile Vertically"},
    {ID_FILE_NEW_SPECTRUM, "Open a new spectrum window\nNew Spectrum"},
    {kFilePrint, "Print the active window\nPrint"},
    {ID_COPY_SPECTRA, "Copy the spectra to the clipboard\nCopy Spectra"},
    {ID_SNAPSHOT, "Freeze or resume this window's display\nSnapshot"},
    {ID_EMERGENCY_RESET, "Reset this window's acquisition parameters\nEmergency Reset"},
    {ID_CONFIGURE_DATA_ACQUISITION, "Configure the data acquisition\nConfigure Acquisition"},
    {ID_MODE_SCOPE, "Scope mode\nScope"},
    {ID_MODE_SCOPE_MINUS_DARK, "Scope mode minus dark\nScope Minus Dark"},
    {ID_MODE_IRRADIANCE, "Relative irradiance mode\nIrradiance"},
    {ID_MODE_SPECULAR_REFLECTION, "Specular reflection mode\nSpecular Reflection"},
    {ID_SCALE_AUTOSCALE, "Scale the graph to the data\nAutoscale"},
    {ID_SCALE_SET_SCALE, "Set the graph's scale\nSet Scale"},
    {ID_SCALE_UNSCALE, "Show the whole range\nUnscale"},
    {ID_CURSOR_ENABLED, "Show or hide the cursor\nCursor"},
    {ID_CURSOR_PEAK_LEFT, "Move the cursor to the next peak to the left\nPeak Left"},
    {ID_CURSOR_BIG_LEFT, "Move the cursor 25 pixels to the left\nBig Left"},
    {ID_CURSOR_LEFT, "Move the cursor 1 pixel to the left\nLeft"},
    {ID_CURSOR_RIGHT, "Move the cursor 1 pixel to the right\nRight"},
    {ID_CURSOR_BIG_RIGHT, "Move the cursor 25 pixels to the right\nBig Right"},
    {ID_CURSOR_PEAK_RIGHT, "Move the cursor to the next peak to the right\nPeak Right"},
    {ID_TIME_ACTIVATE, "Activate time acquisition\nActivate Time Acq."},
    {ID_TIME_START, "Start the time acquisition\nStart"},
    {ID_TIME_PAUSE, "Pause the time acquisition\nPause"},
    {ID_TIME_STOP, "Stop the time acquisition\nStop"},
    {ID_TIME_SUSPEND_GRAPH, "Suspend the graph display\nSuspend Graph"},
    {ID_TIME_SAVE_DATA, "Save the time acquisition data\nSave Time Data"},
    {ID_GRAPH_AUTOSCALE_X, "Scale the X axis to the data\nAutoscale X"},
    {ID_GRAPH_AUTOSCALE_Y, "Scale the Y axis to the data\nAutoscale Y"},
    {ID_GRAPH_SET_SCALE, "Set the graph's scale\nSet Scale"},
    {ID_GRAPH_UNSCALE, "Show the whole range\nUnscale"},
    {kEditCopy, "Copy to the clipboard\nCopy"},
    {ID_KICK_START, "Kickstart the data acquisition\nKickstart"},
    {ID_GLOBAL_STORE_DARK, "Store dark spectrum for all open windows\nGlobal Dark"},
    {ID_GLOBAL_STORE_REFERENCE, "Store reference spectrum for all open windows\nGlobal Reference"},
    {ID_GLOBAL_SNAPSHOT, "Pause data acquisition for all windows\nGlobal Snapshot"},
    {ID_GLOBAL_EMERGENCY_RESET, "Reset acquisition parameters for all windows\nGlobal Reset"},
    {ID_VIEW_SPECTRUM_STATUS_BAR,
     "Toggles display of spectrum Status Bar\nToggle Spectrum Status Bar"},
    {ID_TIME_OPEN, "Opens time acquisition\nOpen Time Acq."},
    {ID_FILE_OPEN_DATA, "Open data file\nOpen data file"},
    {ID_FILE_SAVE_DATA, "Save data file\nSave data file"},
    {ID_STORE_DARK, "Store dark spectrum\nStore Dark"},
    {ID_STORE_REFERENCE, "Store reference spectrum\nStore Reference"},
    {ID_SINGLE_EXPOSURE, "Take one scan, then freeze the display\nScan"},
    {ID_MODE_ABSORBANCE, "Absorbance mode\nAbsorbance"},
    {ID_MODE_TRANSMISSION, "Transmission mode\nTransmission"},
    {ID_MODE_CUSTOM, "Script-defined custom mode\nConcentration"},
};

constexpr StringResource kStrings[] = {
    {61446, "Configure Data Acquisition"},
    // The tool bars' customisation menu.
    {26585, "Delete"},
    {26586, "Customize..."},
    {26587, "Image Only"},
    {26588, "Image and Text"},
    {26589, "Separator Before"},
    {26590, "Separator After"},
    // The bitmap menus' customisation menu.
    {26531, "Delete"},
    {26532, "Owner Command"},
    {26533, "Recently Used"},
    {26534, "Insert Separator Before"},
    {26535, "Insert Separator After"},
};

} // namespace

std::span<const MenuResource> menus()
{
    return kMenus;
}

std::span<const AcceleratorResource> accelerators()
{
    return kAccelerators;
}

std::span<const ToolBarResource> toolBars()
{
    return kToolBars;
}

std::span<const CommandPrompt> prompts()
{
    return kPrompts;
}

std::span<const StringResource> strings()
{
    return kStrings;
}

} // namespace app::res
