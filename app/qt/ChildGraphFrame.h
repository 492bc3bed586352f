#pragma once

#include "platform/framework/ChildFrame.h"
#include "toolkit/widgets/COXCoolToolBar.h"

#include <QPointer>

class QMainWindow;

// The frame of a graph window: the "Graph Functions" tool bar around the view, its window
// placement ("GraphWindowPos") and its bars' state in the framework profile. GUI thread only.
class CChildGraphFrame : public platform::framework::ChildFrame
{
public:
    static constexpr unsigned IDR_GRAPH_FUNCTIONS = 16200;

    explicit CChildGraphFrame(QWidget* parent = nullptr);

    int OnCreate() override;
    void OnDestroy() override;

    COXCoolToolBar* toolBar() const { return m_toolBar; }
    QMainWindow* barHost() const { return m_barHost; }

private:
    QMainWindow* m_barHost = nullptr;
    QPointer<COXCoolToolBar> m_toolBar;
};
