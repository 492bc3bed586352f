#pragma once

#include "platform/framework/ChildFrame.h"

// The child frames of the three document templates. The spectrum frame's bars come with the
// spectrum window's controls; until then the frames differ only by kind, which the main
// frame's round-robin reads. GUI thread only.
class CChildFrameSpectrum : public platform::framework::ChildFrame
{};

class CChildGridFrame : public platform::framework::ChildFrame
{};

class CChildGraphFrame : public platform::framework::ChildFrame
{};
