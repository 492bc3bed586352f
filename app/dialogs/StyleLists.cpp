#include "app/dialogs/StyleLists.h"

namespace app::dialogs {

namespace {

constexpr const char* kLineStyles[] = {
    "(Default)", "None", "Solid", "Long Dash", "Dotted", "Short Dash", "Long-Short-Long Dash",
    "Dash Dot"};
constexpr const char* kPointStyles[] = {
    "(Default)",         "None",           "Dot",           "Box",
    "Triangle",          "Diamond",        "Star",          "Vertical Line",
    "Horizontal Line",   "Cross",          "Circle",        "Square",
    "Inverted Triangle", "Diagonal Cross", "Open Triangle", "Open Circle",
    "Open Diamond"};
constexpr const char* kFillPatterns[] = {"(Default)",
                                         "None",
                                         "Solid",
                                         "25%",
                                         "50%",
                                         "75%",
                                         "Horizontal Stripe",
                                         "Vertical Stripe",
                                         "45\u00b0 Stripe",
                                         "135\u00b0 Stripe",
                                         "Diagonal Hatch",
                                         "Cross Hatch"};
constexpr const char* kWidthsAndSizes[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
constexpr const char* kFontSizes[] = {"8",  "10", "12", "14", "16", "20",
                                      "24", "28", "32", "38", "46"};
constexpr const char* kChannels[] = {"Master",  "Slave 1", "Slave 2", "Slave 3",
                                     "Slave 4", "Slave 5", "Slave 6", "Slave 7"};

} // namespace

std::span<const char* const> lineStyleNames()
{
    return kLineStyles;
}

std::span<const char* const> pointStyleNames()
{
    return kPointStyles;
}

std::span<const char* const> fillPatternNames()
{
    return kFillPatterns;
}

std::span<const char* const> widthAndSizeNames()
{
    return kWidthsAndSizes;
}

std::span<const char* const> fontSizeNames()
{
    return kFontSizes;
}

std::span<const char* const> channelNames()
{
    return kChannels;
}

} // namespace app::dialogs
