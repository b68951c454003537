#include "gui/Animation.h"
#include "gui/Bitmap.h"
#include "gui/Buttons.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/Frame.h"
#include "gui/Knob.h"
#include "gui/MiniDial.h"
#include "gui/ParamDisplay.h"
#include "gui/PngWriter.h"
#include "utilities/ReferenceImages.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Mirda;

namespace {

// A PNG of the given libpng colour type; `rows` holds the raw samples.
std::vector<uint8_t> makePNG(int width, int height, int colorType, const std::vector<uint8_t>& samples,
                             const std::vector<png_color>& palette = {},
                             const std::vector<uint8_t>& trns = {}) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep d, png_size_t n) {
            auto* o = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            o->insert(o->end(), d, d + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    png_write_info(png, info);
    const size_t rowBytes = samples.size() / height;
    for (int y = 0; y < height; ++y) png_write_row(png, const_cast<uint8_t*>(samples.data() + y * rowBytes));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> pixelsOf(CBitmap* bitmap) {
    const CPixelBuffer b = bitmap->getPixelBuffer();
    std::vector<uint8_t> out;
    for (int y = 0; y < b.height; ++y) out.insert(out.end(), b.row(y), b.row(y) + b.width * 4);
    return out;
}

CBitmap* decode(const std::vector<uint8_t>& png) {
    auto* bitmap = new CBitmap();
    bitmap->loadFromMemory(png.data(), png.size());
    return bitmap;
}

} // namespace

TEST(Bitmap, GreyAndPaletteImagesMatchTheirRgbaEquivalent) {
    CBitmap* rgba = decode(makePNG(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, {90, 90, 90, 255, 255, 255, 255, 255}));
    CBitmap* grey = decode(makePNG(2, 1, PNG_COLOR_TYPE_GRAY, {90, 255}));
    CBitmap* palette = decode(makePNG(2, 1, PNG_COLOR_TYPE_PALETTE, {1, 0}, {{255, 255, 255}, {90, 90, 90}}));
    EXPECT_EQ(pixelsOf(grey), pixelsOf(rgba));
    EXPECT_EQ(pixelsOf(palette), pixelsOf(rgba));
    CBitmap* keyed =
        decode(makePNG(2, 1, PNG_COLOR_TYPE_PALETTE, {0, 1}, {{255, 0, 0}, {0, 0, 255}}, {0, 255}));
    EXPECT_EQ(pixelsOf(keyed), (std::vector<uint8_t>{0, 0, 0, 0, 254, 0, 0, 255}));
    for (CBitmap* b : {rgba, grey, palette, keyed}) b->release();
}

TEST(Bitmap, RejectedDataLeavesItEmpty) {
    const std::vector<uint8_t> good = makePNG(1, 1, PNG_COLOR_TYPE_GRAY, {7});
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    auto* bitmap = decode(truncated);
    EXPECT_FALSE(bitmap->isLoaded());
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_FALSE(bitmap->loadFromStream(nullptr));
    bitmap->release();
}

TEST(Drawing, BitmapOutsideTheClipDrawsNothingAndKeepsTheClip) {
    COwnedPixelBuffer target(20, 20);
    auto* context = new CDrawContext(target.desc());
    CBitmap* bitmap = decode(makePNG(1, 1, PNG_COLOR_TYPE_GRAY, {255}));
    context->setClipRect(CRect(0, 0, 5, 5));
    bitmap->draw(context, CRect(10, 10, 11, 11));
    EXPECT_EQ(context->getClipRect(), CRect(0, 0, 5, 5));
    EXPECT_EQ(target.desc().row(10)[40 + 3], 0);
    context->setClipRect(CRect(0, 0, 20, 20));
    bitmap->drawAlphaBlend(context, CRect(10, 10, 11, 11), CPoint(), 128);
    EXPECT_NEAR(target.desc().row(10)[40], 127, 1);
    context->setClipRect(CRect(3, 3, 3, 9));
    context->setFillColor(kWhiteCColor);
    context->drawRect(CRect(0, 0, 20, 20), kDrawFilled);
    EXPECT_EQ(target.desc().row(5)[3 * 4 + 3], 0) << "a clip of zero area suppresses drawing";
    context->setClipRect(CRect(7.5, 3, 7.5, 9));
    context->drawRect(CRect(0, 0, 20, 20), kDrawFilled);
    EXPECT_EQ(target.desc().row(5)[7 * 4 + 3], 0) << "also when its edges fall inside one pixel";
    bitmap->release();
    context->release();
}

TEST(Drawing, AShapeWithANonFiniteOffsetSpoilsNothingDrawnAfterIt) {
    COwnedPixelBuffer target(10, 10);
    auto* context = new CDrawContext(target.desc());
    context->setFillColor(kWhiteCColor);
    context->setOffset(CPoint(std::nan(""), 0));
    context->drawRect(CRect(0, 0, 10, 10), kDrawFilled);
    EXPECT_EQ(target.desc().row(5)[5 * 4 + 3], 0);
    context->setOffset(CPoint());
    context->drawRect(CRect(0, 0, 10, 10), kDrawFilled);
    EXPECT_EQ(target.desc().row(5)[5 * 4 + 3], 255);
    context->release();
}

// Dense polylines lose their nearly straight points before rasterising; every bend must survive.
TEST(Drawing, DensePolylinesKeepTheirShape) {
    const auto render = [](const std::vector<CPoint>& points) {
        COwnedPixelBuffer target(40, 20);
        auto* context = new CDrawContext(target.desc());
        context->setFrameColor(kWhiteCColor);
        context->drawPolygon(points.data(), int32_t(points.size()), kDrawStroked, false);
        context->release();
        std::vector<uint8_t> alpha;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) alpha.push_back(target.desc().row(y)[x * 4 + 3]);
        return alpha;
    };
    std::vector<CPoint> arc, zigzag, spike = {{2, 10}, {30, 10}, {12, 10}};
    for (int i = 0; i <= 200; ++i) { // 4 pixels high over its 30-pixel chord, the top at (20, 10)
        const double a = (-120 + 0.3 * i) * M_PI / 180;
        arc.push_back({20 + 30 * std::cos(a), 40 + 30 * std::sin(a)});
    }
    for (int x = 2; x < 38; ++x) zigzag.push_back({double(x), x % 2 ? 6.0 : 14.0});
    const std::vector<uint8_t> round = render(arc), teeth = render(zigzag), back = render(spike);
    // The strongest of the four pixels around (x, y): a 1-pixel line through a point covers them in part.
    const auto near = [](const std::vector<uint8_t>& a, int x, int y) {
        return std::max({a[size_t(y * 40 + x)], a[size_t(y * 40 + x - 1)], a[size_t((y - 1) * 40 + x)],
                         a[size_t((y - 1) * 40 + x - 1)]});
    };
    EXPECT_GT(near(round, 20, 10), 100) << "the top of the arc";
    for (int x = 3; x < 37; ++x) EXPECT_GT(near(teeth, x, x % 2 ? 6 : 14), 60) << "the tip at x " << x;
    EXPECT_GT(near(back, 29, 10), 100) << "the far end of a line that turns back";
}

TEST(Drawing, ButtonGradientStaysInsideTheRoundedOutline) {
    COwnedPixelBuffer target(40, 20);
    auto* context = new CDrawContext(target.desc());
    auto* button = new CXButton(CRect(0, 0, 40, 20), "");
    button->draw(context);
    EXPECT_LT(target.desc().row(0)[3], 32) << "the corner pixel only gets the anti-aliased edge";
    EXPECT_EQ(target.desc().row(10)[20 * 4 + 3], 255) << "the inside is filled";
    button->release();
    context->release();
}

TEST(Drawing, TextWidthFollowsTheFont) {
    auto* context = new CDrawContext(CPixelBuffer{});
    const double w12 = context->getStringWidth("Resonance");
    EXPECT_GT(w12, 40);
    EXPECT_LT(w12, 70);
    auto* big = new CFontDesc("Arial", 24, kBoldFace);
    context->setFont(big);
    EXPECT_GT(context->getStringWidth("Resonance"), 2 * w12);
    big->release();
    context->release();
}

TEST(Animation, HelpersClampAndSnap) {
    EXPECT_EQ(blendColor(kBlackCColor, kWhiteCColor, -1), kBlackCColor);
    EXPECT_EQ(blendColor(kBlackCColor, kWhiteCColor, 0.5).red, 127);
    const CRect r = approachRect(CRect(0, 0, 10, 10), CRect(0.5, 10, 10, 20), 0.5);
    EXPECT_EQ(r, CRect(0.5, 5, 10, 15));
}

// Renders a fixed scene and compares it with tests/gui/reference/scene.png by the mean absolute
// difference per channel (tolerance 1.5 of 255, room for FreeType or cairo rounding changes). Run with
// MIRDA_UPDATE_REFERENCES=1 to rewrite the reference after an intended change of the look.
TEST(Snapshot, SceneMatchesTheReference) {
    Tessu::ParameterProperty level, on;
    level.setValue(0.62f);
    on.setUnitKind(Tessu::kUnitOnOff);
    on.setValue(1);
    auto* frame = new CFrame(CRect(0, 0, 240, 120));
    frame->setBackgroundColor(CColor{34, 36, 42, 255});
    auto* knob = new CKnob(CRect(10, 10, 60, 60));
    knob->bindParameter(&level);
    frame->addView(knob);
    auto* dial = new Mirda_MiniDial(CRect(70, 20, 100, 50));
    dial->bindParameter(&level);
    frame->addView(dial);
    auto* button = new Mirda_ActionButton(CRect(110, 10, 200, 30), nullptr, 0, nullptr, nullptr, 1);
    button->setTitle("Limiter");
    button->bindParameter(&on);
    frame->addView(button);
    auto* display = new CParamDisplay(CRect(110, 36, 200, 54));
    display->bindParameter(&level);
    display->setStyle(true, true);
    frame->addView(display);
    frame->addView(
        new CTextLabel(CRect(10, 66, 230, 80), "Quick brown fox 0123456789 %", nullptr, kLeftText));

    COwnedPixelBuffer buffer(240, 120);
    auto* context = new CDrawContext(buffer.desc());
    frame->renderAll(context);
    context->setFrameColor(CColor{120, 200, 255, 255});
    context->setFillColor(CColor{255, 120, 60, 160});
    const CPoint triangle[] = {{150, 86}, {180, 112}, {120, 112}};
    context->drawPolygon(triangle, 3, kDrawFilledAndStroked);
    context->drawRoundRect(CRect(190, 86, 232, 112), 6, kDrawFilledAndStroked);
    context->fillVerticalGradient(CRect(10, 86, 110, 112), CColor{80, 0, 0, 255}, CColor{200, 160, 40, 255});
    context->drawLine(CPoint(10, 116), CPoint(110, 116));
    context->release();
    frame->close();
    frame->release();

    const std::string reference = std::string(MIRDA_REFERENCE_DIR) + "/scene.png";
    // The reference went through un-premultiply, PNG and the >> 8 premultiply; opaque pixels lose 1.
    EXPECT_LT(KavrenTest::compareWithReference(KavrenTest::imageOf(buffer.desc()), reference).meanPerChannel,
              1.5);
}
