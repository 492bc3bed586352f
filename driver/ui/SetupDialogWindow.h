#pragma once

#include "driver/core/SetupDialogModel.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QWidget;

namespace driver::ui {

// The "Configure Hardware" dialog: shows a SetupDialogModel and edits it; every change
// goes to the model at once, and the model decides which controls are shown. Its result
// (Accepted or Rejected) tells the driver whether to store the model's copy. GUI thread.
class SetupDialogWindow : public QDialog
{
public:
    explicit SetupDialogWindow(core::SetupDialogModel& model, QWidget* parent = nullptr);

    // The control of a list, by the list (tests find controls by object name as well).
    QComboBox* list(core::SetupList which) const;

private:
    QComboBox* addList(core::SetupList which, const char* objectName, const QString& label);
    void fillList(core::SetupList which);
    void showControlsOfType();

    core::SetupDialogModel& m_model;
    QComboBox* m_lists[8] = {};
    QLabel* m_labels[8] = {};
    QSpinBox* m_firstPixel = nullptr;
    QLabel* m_firstPixelLabel = nullptr;
    QSpinBox* m_pixelResolution = nullptr;
    QLabel* m_pixelResolutionLabel = nullptr;
    QCheckBox* m_compress = nullptr;
    bool m_refreshing = false; // set while the window refreshes itself from the model
};

// Installs the dialog as platform/win's hook for the driver's "Setup" dialog, on the
// calling (GUI) thread. Installing starts nothing in the driver.
void installSetupDialogHook();

} // namespace driver::ui
