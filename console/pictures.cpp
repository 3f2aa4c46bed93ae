// The picture slot and the magnifier.
#include "console/console_state.h"

#include <algorithm>

namespace console {

bool loadPicture(const std::string &fileName) {
    Picture picture;
    if (loadBmpFile(fileName, picture) != BmpResult::Decoded)
        return false;
    auto &s = state();
    s.picture = std::move(picture);
    s.pictureLoaded = true;
    s.pictureX = s.pictureY = 0;
    s.pictureWidth = s.picture.width;
    s.pictureHeight = s.picture.height;
    return true;
}

void drawPictureAgain() {
    const auto &s = state();
    if (s.pictureLoaded)
        platform::drawImage(s.pictureX, s.pictureY, s.picture.width, s.picture.height,
                            s.picture.pixels.data());
}

void showPicture(int32_t x, int32_t y) {
    auto &s = state();
    if (!s.pictureLoaded)
        return;
    s.pictureX = x;
    s.pictureY = y;
    drawPictureAgain();
}

void hidePicture() {
    auto &s = state();
    if (!s.pictureLoaded)
        return;
    s.picture = Picture{};
    s.pictureLoaded = false;
    platform::invalidateAll(false);
    processMessages();
}

int32_t pictureWidth() {
    return state().pictureWidth;
}
int32_t pictureHeight() {
    return state().pictureHeight;
}

platform::Rect magnifierSource(int32_t x, int32_t y, int32_t factor, int32_t outerWidth,
                               int32_t outerHeight) {
    const int32_t left = std::max(0, x - x / factor);
    const int32_t top = std::max(0, y - y / factor);
    return {left, top, left + outerWidth / factor, top + outerHeight / factor};
}

namespace {

// A factor of 0 or 1 enlarges nothing: the magnifier stays off.
bool magnifierEnabled() {
    return state().magnifierFactor > 1;
}

void zoomAt(int32_t x, int32_t y) {
    const auto &s = state();
    platform::stretchSnapshot(magnifierSource(x, y, s.magnifierFactor, s.outerWidth, s.outerHeight),
                              platform::Rect{0, 0, s.outerWidth, s.outerHeight});
}

} // namespace

void magnifierStart(int32_t x, int32_t y) {
    auto &s = state();
    if (s.magnifying || !magnifierEnabled() || !platform::takeSnapshot())
        return;
    s.magnifying = true;
    zoomAt(x, y);
}

void magnifierMove(int32_t x, int32_t y) {
    if (state().magnifying)
        zoomAt(x, y);
}

void magnifierEnd() {
    auto &s = state();
    if (!s.magnifying)
        return;
    s.magnifying = false;
    platform::releaseSnapshot();
    platform::invalidateAll(true);
}

} // namespace console
