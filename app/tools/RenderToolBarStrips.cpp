// Renders the tool bars' image strips from their SVG sources at build time: for every bar of the
// program's tool-bar table, one image per button (separators take none) side by side in the
// table's order, "<bar id>.png" at 16 x 15 per image and "<bar id>@2x.png" at 32 x 30, on the
// magenta key that the bars make transparent.
//
// Usage: harlune_render_strips <svg folder> <output folder>

#include "app/res/HarluneResources.h"
#include "app/res/ResourceIds.h"
#include "platform/framework/CommandIds.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

using namespace app::res;

// The SVG (file name without ".svg") drawn for each command that has a tool-bar button.
struct StripIcon
{
    unsigned command;
    const char* icon;
};

constexpr StripIcon kStripIcons[] = {
    // General Functions
    {ID_NEW_GRID_WINDOW, "new-grid"},
    {ID_NEW_GRAPH_WINDOW, "new-graph"},
    {platform::framework::ID_WINDOW_CASCADE, "window-cascade"},
    {platform::framework::ID_WINDOW_TILE_HORZ, "window-tile-horizontal"},
    {platform::framework::ID_WINDOW_TILE_VERT, "window-tile-vertical"},
    // Tundra Functions and the hidden bar
    {ID_FILE_NEW_SPECTRUM, "new-spectrum"},
    {ID_FILE_OPEN_DATA, "open"},
    {ID_FILE_SAVE_DATA, "save"},
    {platform::framework::ID_FILE_PRINT, "print"},
    {ID_COPY_SPECTRA, "copy-spectra"},
    // Global Functions
    {ID_GLOBAL_STORE_DARK, "global-store-dark"},
    {ID_GLOBAL_STORE_REFERENCE, "global-store-reference"},
    {ID_GLOBAL_SNAPSHOT, "global-snapshot"},
    {ID_GLOBAL_EMERGENCY_RESET, "global-reset"},
    {ID_KICK_START, "kickstart"},
    // Spectrum Controls
    {ID_STORE_DARK, "store-dark"},
    {ID_STORE_REFERENCE, "store-reference"},
    {ID_SNAPSHOT, "snapshot"},
    {ID_SINGLE_EXPOSURE, "single-exposure"},
    {ID_EMERGENCY_RESET, "reset"},
    {ID_CONFIGURE_DATA_ACQUISITION, "configure-acquisition"},
    // Cursor Controls
    {ID_CURSOR_ENABLED, "cursor"},
    {ID_CURSOR_PEAK_LEFT, "cursor-peak-left"},
    {ID_CURSOR_BIG_LEFT, "cursor-big-left"},
    {ID_CURSOR_LEFT, "cursor-left"},
    {ID_CURSOR_RIGHT, "cursor-right"},
    {ID_CURSOR_BIG_RIGHT, "cursor-big-right"},
    {ID_CURSOR_PEAK_RIGHT, "cursor-peak-right"},
    // Graph Scale and Graph Functions
    {ID_SCALE_AUTOSCALE, "autoscale"},
    {ID_SCALE_SET_SCALE, "set-scale"},
    {ID_SCALE_UNSCALE, "unscale"},
    {ID_GRAPH_AUTOSCALE_X, "autoscale-x"},
    {ID_GRAPH_AUTOSCALE_Y, "autoscale-y"},
    {ID_GRAPH_SET_SCALE, "set-scale"},
    {ID_GRAPH_UNSCALE, "unscale"},
    {platform::framework::ID_EDIT_COPY, "copy"},
    // Spectral View Mode
    {ID_MODE_SCOPE, "mode-scope"},
    {ID_MODE_SCOPE_MINUS_DARK, "mode-scope-minus-dark"},
    {ID_MODE_ABSORBANCE, "mode-absorbance"},
    {ID_MODE_TRANSMISSION, "mode-transmission"},
    {ID_MODE_IRRADIANCE, "mode-irradiance"},
    {ID_MODE_SPECULAR_REFLECTION, "mode-reflection"},
    {ID_MODE_CUSTOM, "mode-custom"},
    // Time Acquisition
    {ID_TIME_ACTIVATE, "time-activate"},
    {ID_TIME_START, "time-start"},
    {ID_TIME_PAUSE, "time-pause"},
    {ID_TIME_STOP, "time-stop"},
    {ID_TIME_SUSPEND_GRAPH, "time-suspend-graph"},
    {ID_TIME_SAVE_DATA, "time-save"},
};

constexpr int kStripImageWidth = 16;
constexpr int kStripImageHeight = 15;
constexpr QRgb kStripKey = 0xFFFF00FF;
// Edges drawn half-covered are blended over a light tool-bar grey: the strip has only the key
// for transparency, so a pixel is either kept or keyed out.
constexpr QRgb kStripEdgeGround = 0xFFF0F0F0;

const char* stripIconOf(unsigned command)
{
    for (const StripIcon& entry : kStripIcons)
        if (entry.command == command)
            return entry.icon;
    return nullptr;
}

int blendOverGround(int premultiplied, int alpha, int ground)
{
    return premultiplied + (255 - alpha) * ground / 255;
}

// One button image at scale times the strip's image size, or nothing when the SVG draws nothing
// into it.
std::optional<QImage> renderStripImage(QSvgRenderer& svg, int scale)
{
    const int width = kStripImageWidth * scale;
    const int height = kStripImageHeight * scale;
    QImage drawn(width, height, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, width, height));
    }
    QImage image(width, height, QImage::Format_RGB32);
    bool drawnSomething = false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = drawn.pixel(x, y);
            const int alpha = qAlpha(pixel);
            if (alpha < 128) {
                image.setPixel(x, y, kStripKey);
                continue;
            }
            QRgb kept = qRgb(blendOverGround(qRed(pixel), alpha, qRed(kStripEdgeGround)),
                             blendOverGround(qGreen(pixel), alpha, qGreen(kStripEdgeGround)),
                             blendOverGround(qBlue(pixel), alpha, qBlue(kStripEdgeGround)));
            // A drawn pixel never becomes the key by chance.
            if (kept == kStripKey)
                kept = qRgb(254, 0, 255);
            image.setPixel(x, y, kept);
            drawnSomething = true;
        }
    }
    if (!drawnSomething)
        return std::nullopt;
    return image;
}

bool writeStrips(const QDir& svgFolder, const QDir& outputFolder)
{
    for (const platform::framework::ToolBarResource& bar : toolBars()) {
        std::vector<const char*> icons;
        for (unsigned command : bar.buttons) {
            if (command == 0)
                continue;
            const char* icon = stripIconOf(command);
            if (!icon) {
                std::fprintf(stderr, "bar %u: command %u has no image\n", bar.id, command);
                return false;
            }
            icons.push_back(icon);
        }
        for (int scale : {1, 2}) {
            const int count = static_cast<int>(icons.size());
            QImage strip(kStripImageWidth * scale * count, kStripImageHeight * scale,
                         QImage::Format_RGB32);
            strip.fill(kStripKey);
            QPainter painter(&strip);
            for (int i = 0; i < count; ++i) {
                const QString file = svgFolder.filePath(QString::fromUtf8(icons[i]) + ".svg");
                QSvgRenderer svg(file);
                const std::optional<QImage> image =
                    svg.isValid() ? renderStripImage(svg, scale) : std::nullopt;
                if (!image) {
                    std::fprintf(stderr, "%s: not a drawable SVG image\n", qPrintable(file));
                    return false;
                }
                painter.drawImage(kStripImageWidth * scale * i, 0, *image);
            }
            painter.end();
            const QString name = scale == 1 ? QStringLiteral("%1.png").arg(bar.id)
                                            : QStringLiteral("%1@2x.png").arg(bar.id);
            if (!strip.save(outputFolder.filePath(name), "PNG")) {
                std::fprintf(stderr, "%s: cannot be written\n",
                             qPrintable(outputFolder.filePath(name)));
                return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: harlune_render_strips <svg folder> <output folder>\n");
        return 2;
    }
    const QDir outputFolder(QString::fromLocal8Bit(argv[2]));
    if (!outputFolder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "%s: cannot be made\n", argv[2]);
        return 1;
    }
    return writeStrips(QDir(QString::fromLocal8Bit(argv[1])), outputFolder) ? 0 : 1;
}
