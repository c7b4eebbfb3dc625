#include "view/page_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "support/test_document.h"
#include "view/page_placement.h"

namespace orva {
namespace {

// The textbook HSL round trip, in double precision: what "lightness
// inverted, hue and saturation kept" means.
struct Hsl {
    double h, s, l;
};
Hsl toHsl(double r, double g, double b) {
    const double hi = std::max({r, g, b}), lo = std::min({r, g, b}), l = (hi + lo) / 2;
    if (hi == lo) return {0, 0, l};
    const double d = hi - lo, s = l > 0.5 ? d / (2 - hi - lo) : d / (hi + lo);
    double h = hi == r ? (g - b) / d + (g < b ? 6 : 0) : hi == g ? (b - r) / d + 2 : (r - g) / d + 4;
    return {h / 6, s, l};
}
double hueChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}
void fromHsl(Hsl c, double rgb[3]) {
    if (c.s == 0) {
        rgb[0] = rgb[1] = rgb[2] = c.l;
        return;
    }
    const double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s, p = 2 * c.l - q;
    rgb[0] = hueChannel(p, q, c.h + 1.0 / 3);
    rgb[1] = hueChannel(p, q, c.h);
    rgb[2] = hueChannel(p, q, c.h - 1.0 / 3);
}

TEST(PagePicture, InvertedLightnessKeepsHueAndSaturationAsHslSays) {
    // Named colours first, then a sweep of the cube.
    std::vector<std::array<int, 3>> colours = {
        {255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 128, 0}, {30, 60, 200}, {250, 240, 200}, {128, 128, 128},
        {1, 2, 3},       {255, 254, 0}, {12, 200, 190},
    };
    for (int r = 0; r < 256; r += 15)
        for (int g = 5; g < 256; g += 25)
            for (int b = 3; b < 256; b += 35) colours.push_back({r, g, b});
    for (const auto& c : colours) {
        std::uint8_t pixel[3] = {static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1]),
                                 static_cast<std::uint8_t>(c[2])};
        invertLightness(pixel);
        Hsl hsl = toHsl(c[0] / 255.0, c[1] / 255.0, c[2] / 255.0);
        hsl.l = 1 - hsl.l;
        double want[3];
        fromHsl(hsl, want);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(pixel[i], want[i] * 255, 0.5001) << c[0] << "," << c[1] << "," << c[2] << " channel " << i;
    }
}

// Every pixel of the turned picture comes from the image pixel that the
// view's own mapping (page_placement.h, what hits and selections use) puts
// under its centre: the picture and the text marks turn alike.
TEST(PagePicture, TurnedPicturesAgreeWithTheViewsMapping) {
    Allocator allocator;
    constexpr std::uint32_t w = 7, h = 4;
    const PageImage image = testing::paintedPage(allocator, w, h, [](std::uint32_t x, std::uint32_t y) {
        return 0x100000u * (x + 1) + 0x000100u * (y + 1);
    });
    for (std::uint8_t turns = 0; turns < 4; ++turns) {
        for (const bool inverted : {false, true}) {
            SCOPED_TRACE(::testing::Message() << int(turns) << " turns, inverted " << inverted);
            auto turned = lookedPicture(allocator, image, {turns, inverted});
            ASSERT_TRUE(turned);
            const PictureSize size = turnedSize(w, h, turns);
            ASSERT_EQ(turned->width, size.width);
            ASSERT_EQ(turned->height, size.height);
            const PagePlacement placement = placePage(ClientArea{0, 0, 10000, 10000}, w, h, 1.0f, 0, 0, turns);
            for (std::uint32_t y = 0; y < size.height; ++y) {
                for (std::uint32_t x = 0; x < size.width; ++x) {
                    // Client point of the turned pixel, back into the image.
                    const ImagePoint at = toImage(placement, placement.origin.x + static_cast<std::int32_t>(x),
                                                  placement.origin.y + static_cast<std::int32_t>(y));
                    // toImage maps the pixel's corner; its centre is half a pixel in.
                    const ImagePoint next = toImage(placement, placement.origin.x + static_cast<std::int32_t>(x) + 1,
                                                    placement.origin.y + static_cast<std::int32_t>(y) + 1);
                    const auto sx = static_cast<std::uint32_t>(std::floor((at.x + next.x) / 2));
                    const auto sy = static_cast<std::uint32_t>(std::floor((at.y + next.y) / 2));
                    std::uint8_t want[3];
                    std::copy_n(image.pixels.data() + (sy * w + sx) * 3, 3, want);
                    if (inverted) invertLightness(want);
                    const std::uint8_t* got = turned->pixels.data() + (y * size.width + x) * 3;
                    ASSERT_TRUE(std::equal(want, want + 3, got)) << "turned pixel " << x << "," << y;
                }
            }
        }
    }
    // Turning a turned picture on by the rest of a full turn gives the image back.
    auto once = lookedPicture(allocator, image, {1, false});
    auto back = lookedPicture(allocator, *once, {3, false});
    ASSERT_TRUE(back);
    EXPECT_TRUE(std::equal(back->pixels.begin(), back->pixels.end(), image.pixels.begin()));
}

TEST(PagePicture, CacheKeepsTheLastCopiesAndMakesEachOnce) {
    Allocator allocator;
    PictureCache cache;
    const PageImage page = testing::solidPage(allocator, 6, 3, 0x204080);
    const PictureKey plain{1, 0, PictureSource::Page, 0, {}};
    EXPECT_EQ(lookedPictureFor(cache, &allocator, plain, page), &page) << "a plain look draws the page itself";
    EXPECT_EQ(cache.made, 0u);

    const PictureKey turned{1, 0, PictureSource::Page, 0, {1, false}};
    const PageImage* first = lookedPictureFor(cache, &allocator, turned, page);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->width, 3u);
    EXPECT_EQ(lookedPictureFor(cache, &allocator, turned, page), first);
    EXPECT_EQ(cache.made, 1u);
    EXPECT_EQ(lookedPictureFor(cache, nullptr, turned, page), first) << "a held copy needs no allocator";

    // Another document, page, source, tag or look is another copy; the
    // least recently drawn goes once all slots are taken.
    for (std::uint64_t i = 0; i < kCachedPictures - 1; ++i) {
        ASSERT_NE(lookedPictureFor(cache, &allocator, {2, i, PictureSource::Thumbnail, 1, {0, true}}, page), nullptr);
    }
    EXPECT_EQ(cache.made, kCachedPictures);
    EXPECT_EQ(findCachedPicture(cache, turned), first);
    ASSERT_NE(lookedPictureFor(cache, &allocator, {3, 0, PictureSource::Part, 9, {2, true}}, page), nullptr);
    EXPECT_NE(findCachedPicture(cache, turned), nullptr) << "drawn last but one: kept";
    EXPECT_EQ(findCachedPicture(cache, {2, 0, PictureSource::Thumbnail, 1, {0, true}}), nullptr) << "the oldest went";
    EXPECT_EQ(cache.heldBytes(), kCachedPictures * 6 * 3 * 3);

    // Of whole pages two copies at most: a third page's takes the older one's slot.
    cache.clear();
    for (std::uint64_t i = 0; i < 3; ++i)
        ASSERT_NE(lookedPictureFor(cache, &allocator, {5, i, PictureSource::Page, 0, {1, false}}, page), nullptr);
    EXPECT_EQ(findCachedPicture(cache, {5, 0, PictureSource::Page, 0, {1, false}}), nullptr);
    EXPECT_NE(findCachedPicture(cache, {5, 1, PictureSource::Page, 0, {1, false}}), nullptr);
    EXPECT_EQ(cache.heldBytes(), kCachedPages * 6 * 3 * 3);

    allocator.failAllocation(1);
    EXPECT_EQ(lookedPictureFor(cache, &allocator, {4, 0, PictureSource::Page, 0, {1, false}}, page), nullptr);
    allocator.failAllocation(0);
    cache.clear();
    EXPECT_EQ(cache.heldBytes(), 0u);
}

}  // namespace
}  // namespace orva
