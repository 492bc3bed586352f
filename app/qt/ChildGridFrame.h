#pragma once

#include "platform/framework/ChildFrame.h"

// The frame of a grid window: no bars of its own; it keeps its window placement in the
// framework profile ("GridWindowPos"). GUI thread only.
class CChildGridFrame : public platform::framework::ChildFrame
{
public:
    explicit CChildGridFrame(QWidget* parent = nullptr);

    int OnCreate() override;
    void OnDestroy() override;
};
