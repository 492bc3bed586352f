#pragma once

#include "gridctrl/model/GridBitmap.h"
#include "gridctrl/model/GridSheetState.h"

#include <QCursor>
#include <QImage>

#include <optional>
#include <string_view>

namespace gridctrl::widgets {

// The Qt pointer of a grid cursor: its picture with its hot spot, else its standard shape.
QCursor gridQCursor(const model::GridCursor& cursor);

// A grid bitmap of an image (none for a null image).
std::optional<model::GridBitmap> gridBitmapOf(const QImage& image);

// The program's bitmap resources as the control loads them: the Qt resource
// ":/bitmaps/<id>.png", or ":/bitmaps/<name>.png" when a name is given.
std::optional<model::GridBitmap> qtBitmapResource(unsigned resourceId, std::string_view name);

// Makes qtBitmapResource the control's bitmap resources unless a source is installed already.
void installQtBitmapResources();

} // namespace gridctrl::widgets
