#pragma once

// The child frames of the three document templates.
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/ChildGraphFrame.h"
#include "app/qt/ChildGridFrame.h"
