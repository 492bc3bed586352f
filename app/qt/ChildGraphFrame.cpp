#include "app/qt/ChildGraphFrame.h"

#include "app/qt/FramePlacement.h"
#include "app/qt/FrameProfile.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/win/Log.h"
#include "toolkit/widgets/COXCoolToolBar.h"

#include <QMainWindow>

namespace fw = platform::framework;

namespace {

constexpr const char* kGraphFrameModule = "childframe";
constexpr const char* kGraphFramePlacementEntry = "GraphWindowPos";
constexpr const char* kGraphFrameBarStateSection = "GraphBars";
constexpr const char* kGraphFrameBarStateEntry = "State";
constexpr const char* kToolBarStateName = "GraphMain";
constexpr const char* kGraphFrameBarStateError =
    "Error loading toolbars.  This error is common the first time you run Harlune after upgrade.";

} // namespace

CChildGraphFrame::CChildGraphFrame(QWidget* parent) : ChildFrame(parent) {}

int CChildGraphFrame::OnCreate()
{
    frame_placement::restore(this, kGraphFramePlacementEntry);

    // The view moves into a window of its own that docks the tool bar.
    QWidget* view = widget();
    m_barHost = new QMainWindow(nullptr, Qt::Widget);
    if (view != nullptr)
        m_barHost->setCentralWidget(view);
    setWidget(m_barHost);

    m_toolBar = COXCoolToolBar::Create(
        m_barHost, COXCoolToolBar::WS_VISIBLE | COXCoolToolBar::TBSTYLE_FLAT, IDR_GRAPH_FUNCTIONS,
        [this]() -> fw::CommandTarget* { return this; });
    if (m_toolBar) {
        m_toolBar->setWindowTitle(QStringLiteral("Graph Functions"));
        m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    }

    if (const auto state =
            frame_profile::readBinary(kGraphFrameBarStateSection, kGraphFrameBarStateEntry)) {
        const QByteArray bytes(reinterpret_cast<const char*>(state->data()),
                               static_cast<qsizetype>(state->size()));
        if (!m_barHost->restoreState(bytes)) {
            if (auto* sink = platform::automation::errorLogSink())
                sink->logException(kGraphFrameBarStateError, "ChildGraphFrame", __LINE__);
            platform::win::logWarn(kGraphFrameModule, "%s", kGraphFrameBarStateError);
        }
    }
    if (m_toolBar)
        m_toolBar->LoadBarState("BarStates", kToolBarStateName, true);
    return 0;
}

void CChildGraphFrame::OnDestroy()
{
    if (m_toolBar)
        m_toolBar->SaveBarState("BarStates", kToolBarStateName, true);
    if (m_barHost != nullptr) {
        const QByteArray bytes = m_barHost->saveState();
        frame_profile::writeBinary(kGraphFrameBarStateSection, kGraphFrameBarStateEntry,
                                   std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    frame_placement::save(this, kGraphFramePlacementEntry);
}
