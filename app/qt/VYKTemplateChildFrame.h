#pragma once

#include "platform/framework/ChildFrame.h"

class QMainWindow;
class QStatusBar;

// The frame of a template window: a status bar under the form, and the window placement kept
// in the profile (section "TemplateWindowSize", entry "WindowPos"). GUI thread only.
class CVYKTemplateChildFrame : public platform::framework::ChildFrame
{
public:
    // The framework's status bar id.
    static constexpr unsigned AFX_IDW_STATUS_BAR = 59393;

    explicit CVYKTemplateChildFrame(QWidget* parent = nullptr);

    int OnCreate() override;
    void OnDestroy() override;

    QStatusBar* frameStatusBar() const;

private:
    QMainWindow* m_barHost = nullptr;
};
