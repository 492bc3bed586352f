#pragma once

// The child frames of the four document templates.
#include "app/qt/ChildFrameSpectrum.h"
#include "app/qt/ChildGraphFrame.h"
#include "app/qt/ChildGridFrame.h"
#include "app/qt/VYKTemplateChildFrame.h"
