#include "core/view/popup_geometry.h"

namespace mirelda {

using namespace popup;

PixelSize PopupSizeForText(const PixelRect& screen, const TextHeightAtWidth& textHeightAt)
{
    std::int32_t width = screen.width() - kWidthStep;
    if (width < kWidthStep)
        width = kWidthStep;
    std::int32_t height = textHeightAt(width);
    while (width / kWidthRatio > height && width - kWidthStep >= kWidthStep) {
        width -= kWidthStep;
        height = textHeightAt(width);
    }
    if (height < 0)
        height = 0;
    return {width + kFrameWidth, height + kFrameHeight};
}

namespace {

// Integer halves truncate toward zero, as C division does.
std::int32_t Half(std::int32_t v)
{
    return v / 2;
}

bool Fits(PixelSize popup, std::int32_t regionWidth, std::int32_t regionHeight)
{
    return popup.width < regionWidth && popup.height < regionHeight;
}

std::int32_t CentredOnClickX(PixelPoint click, const PixelRect& screen, PixelSize popup)
{
    std::int32_t x = click.x - Half(popup.width);
    if (x + popup.width > screen.right)
        x = screen.right - popup.width - kGap;
    if (x < screen.left)
        x = screen.left + kGap;
    return x;
}

std::int32_t CentredOnClickY(PixelPoint click, const PixelRect& screen, PixelSize popup)
{
    std::int32_t y = click.y - Half(popup.height);
    if (y + popup.height > screen.bottom)
        y = screen.bottom - popup.height - kGap;
    if (y < screen.top)
        y = screen.top + kGap;
    return y;
}

} // namespace

PopupPlacement PopupPositionNearPoint(PixelPoint click, const PixelRect& screen, PixelSize popup)
{
    if (Fits(popup, screen.width(), screen.bottom - (click.y + kGap)))
        return {{CentredOnClickX(click, screen, popup), click.y + kGap}, PopupRegion::Below};
    if (Fits(popup, (click.x - kGap) - screen.left, screen.height()))
        return {{click.x - popup.width - kGap, CentredOnClickY(click, screen, popup)}, PopupRegion::Left};
    if (Fits(popup, screen.right - (click.x + kGap), screen.height()))
        return {{click.x + kGap, CentredOnClickY(click, screen, popup)}, PopupRegion::Right};
    if (Fits(popup, screen.width(), (click.y - kGap) - screen.top))
        return {{CentredOnClickX(click, screen, popup), click.y - popup.height - kGap}, PopupRegion::Above};
    return {
        {screen.left + Half(screen.width() - popup.width), screen.top + Half(screen.height() - popup.height)},
        PopupRegion::Centred};
}

} // namespace mirelda
