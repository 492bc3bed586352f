#pragma once

#include <QCursor>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>

namespace toolkit::widgets {

// Where the toolkit's bitmap resources come from: the image of a resource id, or a null image
// when there is none. The default reads the program's Qt resource ":/bitmaps/<id>.png".
using BitmapSource = std::function<QImage(unsigned resourceId)>;

// Replaces the source (tests); an empty function restores the Qt resources. GUI thread only.
void setBitmapSource(BitmapSource source);

// The image of bitmap resource resourceId, or a null image. Indexed images keep their colour
// table, so a caller can tell a palette bitmap from a true-colour one.
QImage loadBitmapResource(unsigned resourceId);

// The high-density twin of bitmap resource resourceId, ":/bitmaps/<id>@2x.png" (the same images
// at twice the size, its device pixel ratio 2), or a null image when there is none. Null while a
// replacement source is in place, so a test's images are never mixed with the program's.
QImage loadHighDensityBitmapResource(unsigned resourceId);

// Where animation resources come from: the file (or Qt resource path) of an animated image
// (GIF) for an animation id, or for a name when one is given; empty when there is none. The
// default names the program's Qt resource ":/animations/<id or name>.gif".
using AnimationSource = std::function<QString(unsigned resourceId, const QString& name)>;

// Replaces the source (tests); an empty function restores the Qt resources. GUI thread only.
void setAnimationSource(AnimationSource source);

// The file of animation resource resourceId (or name), or an empty text.
QString animationResourcePath(unsigned resourceId, const QString& name = QString());

// The toolkit's cursor resources: 28020 the hyperlink pointer (a pointing hand) and 28021 the
// pointer over a disabled hyperlink (the forbidden sign). Nothing for any other id.
constexpr unsigned kHyperlinkCursorId = 28020;
constexpr unsigned kHyperlinkDisabledCursorId = 28021;
std::optional<QCursor> loadCursorResource(unsigned resourceId);

} // namespace toolkit::widgets
