#pragma once

#include <QImage>

#include <functional>

namespace toolkit::widgets {

// Where the toolkit's bitmap resources come from: the image of a resource id, or a null image
// when there is none. The default reads the program's Qt resource ":/bitmaps/<id>.png".
using BitmapSource = std::function<QImage(unsigned resourceId)>;

// Replaces the source (tests); an empty function restores the Qt resources. GUI thread only.
void setBitmapSource(BitmapSource source);

// The image of bitmap resource resourceId, or a null image. Indexed images keep their colour
// table, so a caller can tell a palette bitmap from a true-colour one.
QImage loadBitmapResource(unsigned resourceId);

} // namespace toolkit::widgets
