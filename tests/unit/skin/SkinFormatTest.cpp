// The .skn reader, the limits it enforces and the pure drawing arithmetic.
#include <gtest/gtest.h>
#include "skin/SkinTestSupport.h"
#include "skin/uSkinAnimation.h"
#include "skin/uSkinImages.h"
#include "skin/uSkinModel.h"
#include "skin/uSkinRaster.h"
#include "skin/uSkinScrollBar.h"

namespace {
std::string ErrorOf(const std::string& text) {
    try {
        ParseSkin(text);
    } catch (const ESkinError& e) {
        return Narrow8(e.Message());
    }
    return "loaded";
}

std::string Form(const std::string& body) {
    return "skn 1\nsection s fill solid #000000\nform F {\n size 100 100\n" + body + "}\n";
}

struct BadSkin {
    const char* what;
    std::string text;
    const char* error;
};

TEST(SkinFormat, RefusedFilesNameTheLineAndTheFault) {
    std::string deep = "skn 1\nform F {\n size 10 10\n";
    for (int i = 0; i < 17; ++i) deep += "group {\n";
    const BadSkin cases[] = {
        {"not a skin", "hello\n", "line 1: not a skin file"},
        {"empty", "", "line 1: not a skin file"},
        {"newer version", "skn 2\n", "line 1: this is a newer skin format"},
        {"unknown statement", "skn 1\n\nwidget x\n", "line 3: unknown statement 'widget'"},
        {"unclosed block", "skn 1\nform F {\n size 1 1\n", "line 2: block is not closed"},
        {"stray brace", "skn 1\n}\n", "line 2: '}' without an open block"},
        {"unknown property", Form(" button b {\n  normal s #000000\n  blink\n }\n"),
         "line 7: unknown property 'blink' of button b"},
        {"bad colour", Form(" static a {\n  color #12345G\n }\n"), "line 6: bad text colour '#12345G'"},
        {"number out of range", Form(" static a {\n  rect 0 0 99999 1\n }\n"), "line 6: width 99999 is out of range"},
        {"unknown section", Form(" static a {\n  section nope\n }\n"),
         "line 5: element uses the unknown section 'nope'"},
        {"duplicate element", Form(" static a {\n }\n static a {\n }\n"), "line 7: element a is defined twice"},
        {"button without look", Form(" button b {\n }\n"), "line 5: button b has no 'normal' look"},
        {"unclosed text", Form(" static a {\n  text \"abc\n }\n"), "line 6: text without its closing quote"},
        {"frame outside animation", Form(" static a {\n  animation x {\n   show\n  }\n }\n"),
         "line 7: only 'frame' lines"},
        {"too deep", deep, "elements are nested too deeply"},
        {"missing form size", "skn 1\nform F {\n}\n", "line 2: form F has no 'size'"},
        {"bad utf-8", "skn 1\nname \"\xC3\x28\"\n", "line 2: text is not valid UTF-8"},
        {"image without end", "skn 1\nimage i 1x 1 1 crc32 0\nAAAA\n", "line 2: image data is not closed"},
        {"image not base64", "skn 1\nimage i 1x 1 1 crc32 0\n!!!!\nend\n", "line 3: image data must be base64"},
        {"image damaged", "skn 1\nimage i 1x 1 1 crc32 1234\nAAAA\nend\n", "line 2: image data is damaged (CRC-32"},
        {"image too large", "skn 1\nimage i 1x 5000 1 crc32 0\nend\n", "line 2: image width 5000 is out of range"},
        // What one paint may cost is decided at load.
        {"element beyond its form", Form(" static a {\n  rect 90 0 20 10\n }\n"),
         "line 5: static a lies outside its form (100 x 100)"},
        {"element left of its form", Form(" group {\n  rect -1 0 10 10\n }\n"), "line 5: group lies outside its form"},
        {"huge focusable button", Form(" button b {\n  rect 0 0 16384 16384\n  normal s #000000\n }\n"),
         "line 5: button b lies outside its form"},
        {"form too large", "skn 1\nform F {\n size 4096 563\n}\n", "line 3: the form is too large"},
        {"elements cover too much",
         [] {
             std::string body;
             for (int i = 0; i < 4; ++i) body += " static {\n  rect 0 0 1920 1200\n }\n";
             return "skn 1\nform F {\n size 1920 1200\n" + body + "}\n";
         }(),
         "line 13: the elements of form F together cover more than 8 million design pixels"},
        {"fades nested too deeply",
         Form(" group g1 {\n  animation f {\n   frame 10 alpha 0\n  }\n  group g2 {\n   animation f {\n"
              "    frame 10 alpha 0\n   }\n   static a {\n    animation f {\n     frame 10 alpha 9\n    }\n"
              "   }\n  }\n }\n"),
         "line 13: static a fades inside 2 fading elements: at most 2 fades nest"},
    };
    for (const auto& c : cases) {
        std::string error = ErrorOf(c.text);
        EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
    }
}

TEST(SkinFormat, ElementAndFrameCountsAreLimited) {
    std::string text = "skn 1\nform F {\n size 10 10\n";
    for (int i = 0; i < SkinLimits::Elements; ++i) text += "static {\n}\n";
    text += "}\n";
    EXPECT_NE(ErrorOf(text).find("too many elements"), std::string::npos);
    text = "skn 1\nform F {\n size 10 10\n";
    for (int i = 0; i < SkinLimits::AllFrames / SkinLimits::Frames + 1; ++i) {
        text += "static {\nanimation a {\n";
        for (int f = 0; f < SkinLimits::Frames; ++f) text += "frame 1\n";
        text += "}\n}\n";
    }
    text += "}\n";
    EXPECT_NE(ErrorOf(text).find("too many frames in the skin"), std::string::npos);
}

TEST(SkinFormat, PaintBudgetsLeaveRealSkinsAlone) {
    // Two nested fades, elements that fill the largest form three times over, forms of the
    // largest area: all load.
    std::string body = " group g {\n  rect 0 0 1920 1200\n  animation f {\n   frame 10 alpha 0\n  }\n";
    body += "  static a {\n   rect 0 0 1920 1200\n   animation f {\n    frame 10 alpha 9\n   }\n  }\n }\n";
    body += " static b {\n  rect 0 0 1920 1200\n }\n";
    EXPECT_EQ(ErrorOf("skn 1\nform F {\n size 1920 1200\n" + body + "}\n"), "loaded");
    EXPECT_EQ(ErrorOf("skn 1\nform F {\n size 4096 562\n}\n"), "loaded");
}

// A picture whose data inflates far beyond its declared size is refused after a bounded
// amount of work and memory, not decoded into a buffer that doubles up to gigabytes.
TEST(SkinFormat, DecompressionBombIsRefusedWithBoundedMemory) {
    // The true picture of that size loads.
    std::string good = "skn 1\n" + ImageBlock("p", 16, 16, ZeroPng(16, 16, 16 * (1 + 16 * 4)));
    EXPECT_EQ(ErrorOf(good), "loaded");
    // 96 MB of zeros behind a 16 x 16 picture (about 600 KB of PNG data).
    std::string bomb = "skn 1\n" + ImageBlock("p", 16, 16, ZeroPng(16, 16, size_t(96) << 20));
    size_t before = PeakPrivateBytes();
    std::string error = ErrorOf(bomb);
    size_t grown = PeakPrivateBytes() - before;
    EXPECT_NE(error.find("line 2: image p: image data expands beyond its declared size"), std::string::npos) << error;
    EXPECT_LT(grown, size_t(16) << 20) << "peak private memory grew by " << grown << " bytes";
}

TEST(SkinFormat, MiniSkinLoadsWithItsTree) {
    SkinModel m = ParseSkin(MiniSkin);
    ASSERT_EQ(m.forms.size(), 1u);
    const SkinForm& f = m.forms[0];
    EXPECT_EQ(f.name, L"Mini");
    EXPECT_EQ(f.elements[0].kind, TSkinElementKind::Root);
    const SkinElement& panel = f.elements[f.elements[0].children[5]];
    EXPECT_EQ(panel.name, L"panel");
    EXPECT_TRUE(panel.hidden);
    ASSERT_EQ(panel.animations.size(), 2u);
    EXPECT_EQ(panel.animations[0].frames[1].Duration, 100);
    EXPECT_EQ(panel.animations[0].frames[0].Flags, sfShow | sfAlpha | sfOffset);
    // A button's hot and pushed looks default to its normal look.
    const SkinElement& other = f.elements[f.elements[0].children[2]];
    EXPECT_EQ(other.states[sbPushed], other.states[sbNormal]);
    EXPECT_TRUE(m.dialog.present);
    EXPECT_EQ(m.dialog.button[sdFocused], m.dialog.button[sdNormal]);
}

TEST(SkinFormat, MissingSuffixedSectionsFallBackOneSuffixAtATime) {
    SkinModel m = ParseSkin(MiniSkin);
    struct {
        const wchar_t* wanted;
        const wchar_t* found;
    } cases[] = {{L"btn", L"btn"},
                 {L"btn_pressed", L"btn_pressed"},
                 {L"btn_checked_pressed", L"btn_checked"},
                 {L"btn_pressed_pressed", L"btn_pressed"},
                 {L"back_checked", L"back"},
                 {L"_pressed", nullptr},
                 {L"nope_pressed", nullptr},
                 {L"btn_hot", nullptr}};
    for (const auto& c : cases) {
        const SkinSection* s = m.ResolveSection(c.wanted);
        EXPECT_EQ(s ? s->name : L"(none)", c.found ? c.found : L"(none)") << Narrow8(c.wanted);
    }
}

TEST(SkinFormat, Base64AndCrcRoundTrip) {
    std::vector<uint8_t> data = {0, 1, 2, 250, 251, 252, 253};
    for (size_t n = 0; n <= data.size(); ++n) {
        std::string text = EncodeBase64(data.data(), n);
        std::vector<uint8_t> back;
        ASSERT_TRUE(DecodeBase64(text, back));
        EXPECT_EQ(back, std::vector<uint8_t>(data.begin(), data.begin() + n));
    }
    std::vector<uint8_t> out;
    EXPECT_FALSE(DecodeBase64("AA=A", out));
    EXPECT_FALSE(DecodeBase64("AAA", out));
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
}

TEST(SkinFormat, Utf8TextBecomesWideText) {
    std::wstring w;
    ASSERT_TRUE(Utf8ToWide("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC", w));
    EXPECT_EQ(w, L"Gr\u00FC\u00DFe \u20AC");
    EXPECT_EQ(WideToUtf8(w), "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC");
    EXPECT_FALSE(Utf8ToWide("\xE2\x82", w));
    EXPECT_FALSE(Utf8ToWide("\xC0\xAF", w));  // overlong
}

TEST(SkinRaster, RoundedFillIsSmoothAtTheCornerAndSolidInside) {
    SkinSection s;
    s.fill = SkinFill::Solid;
    s.color1 = s.color2 = SkinColorFromRGB(0, 0, 255);
    s.radius = 8;
    SkinBitmap b = RasterizeFill(s, 40, 40, 2.0);
    auto alpha = [&](int x, int y) { return int(b.pixels[y * 40 + x] >> 24); };
    EXPECT_EQ(alpha(0, 0), 0);      // outside the round corner
    EXPECT_EQ(alpha(20, 20), 255);  // inside
    EXPECT_EQ(b.pixels[20 * 40 + 20], 0xFF0000FFu);
    // Somewhere along the corner's arc the edge is partly covered: anti-aliased, not jagged.
    bool partial = false;
    for (int x = 0; x < 16; ++x) partial = partial || (alpha(x, 2) > 0 && alpha(x, 2) < 255);
    EXPECT_TRUE(partial);
}

TEST(SkinRaster, GradientAndBorder) {
    SkinSection s;
    s.fill = SkinFill::VGrad;
    s.color1 = SkinColorFromRGB(0, 0, 0);
    s.color2 = SkinColorFromRGB(200, 200, 200);
    s.borderWidth = 1;
    s.borderColor = SkinColorFromRGB(255, 0, 0);
    SkinBitmap b = RasterizeFill(s, 10, 100, 1.0);
    EXPECT_EQ(b.pixels[0], 0xFFFF0000u);  // the border, red
    uint32_t top = b.pixels[10 * 10 + 5] & 0xFF, bottom = b.pixels[90 * 10 + 5] & 0xFF;
    EXPECT_LT(top, 40u);
    EXPECT_GT(bottom, 160u);
}

TEST(SkinRaster, APartIsTheSameAsThatPartOfTheWhole) {
    SkinSection s;
    s.fill = SkinFill::VGrad;
    s.color1 = SkinColorFromRGB(10, 200, 30);
    s.color2 = SkinColorFromRGB(250, 0, 100);
    s.radius = 12;
    s.borderWidth = 2;
    s.borderColor = SkinColorFromRGB(0, 0, 255);
    SkinBitmap whole = RasterizeFill(s, 70, 50, 1.5);
    for (SkinRect p : {SkinRect{3, 4, 10, 20}, SkinRect{60, 40, 10, 10}, SkinRect{30, 0, 5, 50}}) {
        SkinBitmap part = RasterizeFill(s, 70, 50, 1.5, p);
        ASSERT_EQ(part.width, p.w);
        int mismatches = 0;
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x)
                mismatches += part.pixels[y * p.w + x] != whole.pixels[(y + p.y) * 70 + x + p.x];
        EXPECT_EQ(mismatches, 0) << p.x << "," << p.y;
    }
}

TEST(SkinRaster, NineGridKeepsCornersAndStretchesTheMiddle) {
    SkinSection s;
    s.isImage = true;
    s.source = {10, 20, 30, 30};
    s.grid[0] = s.grid[1] = s.grid[2] = s.grid[3] = 5;
    SkinGridPart parts[9];
    ASSERT_EQ(GridParts(s, 2, 200, 100, 2.0, parts), 9);
    EXPECT_EQ(parts[0].source.x, 20);  // 2x variant: source in doubled pixels
    EXPECT_EQ(parts[0].source.w, 10);
    EXPECT_EQ(parts[0].dest.w, 10);  // the corner at 200 %: 5 design pixels
    EXPECT_EQ(parts[4].dest.w, 180);
    EXPECT_EQ(parts[8].dest.x + parts[8].dest.w, 200);
    // Smaller than its margins: they shrink and nothing overlaps.
    ASSERT_GE(GridParts(s, 1, 6, 6, 1.0, parts), 4);
    EXPECT_EQ(parts[0].dest.w + parts[1].dest.w, 6);
}

TEST(SkinScrollBarMath, ReachablePositionsRunToMaxMinusPagePlusOne) {
    struct {
        int min, max, page, wanted, clamped;
    } cases[] = {{1, 536, 25, 1000, 512}, {1, 11, 1, 11, 11}, {0, 129, 10, 200, 120}, {1, 86, 5, 83, 82},
                 {5, 10, 0, 99, 10},      {5, 10, 50, 7, 5},  {1, 64, 5, -3, 1}};
    for (const auto& c : cases) {
        SkinScrollValues v{c.min, c.max, c.page, 1, 0};
        EXPECT_EQ(ClampScrollPosition(v, c.wanted), c.clamped) << c.min << ".." << c.max << " page " << c.page;
    }
}

TEST(SkinScrollBarMath, ThumbPlacementAndDragAgree) {
    SkinScrollValues v{0, 19, 10, 1, 0};
    for (int pos = 0; pos <= 10; ++pos) {
        v.position = pos;
        SkinScrollParts p = ScrollParts({0, 0, 100, 10}, false, true, v, 10);
        EXPECT_EQ(p.track.x, 10);
        EXPECT_EQ(p.track.w, 80);
        EXPECT_EQ(p.thumb.w, 40);
        EXPECT_EQ(ScrollPositionAt(p, false, v, p.thumb.x), pos);
    }
}
}  // namespace

TEST(SkinRaster, TilesRepeatFromTheirOriginForTheVisiblePartOnly) {
    // A 3 x 2 picture with distinct pixels; its 2 x 1 rectangle at (1, 1) as the tile, drawn
    // at 4 x 1 (stretched), from an origin left of and above the visible part.
    SkinBitmap image{3, 2, {1, 2, 3, 4, 5, 6}};
    SkinRect source{1, 1, 2, 1};
    SkinRect visible{-3, 7, 9, 2};
    SkinBitmap tiles = TileFill(image, source, 4, 1, -10, 2, visible);
    ASSERT_EQ(tiles.width, 9);
    ASSERT_EQ(tiles.height, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 9; ++x) {
            int tx = (((visible.x + x) - -10) % 4 + 4) % 4;
            EXPECT_EQ(tiles.pixels[y * 9 + x], tx < 2 ? 5u : 6u) << x << "," << y;
        }
    // A one-pixel tile over a large area costs the visible part, not the area.
    SkinBitmap one = TileFill(image, {0, 0, 1, 1}, 1, 1, 0, 0, {4000, 4000, 3, 3});
    EXPECT_EQ(one.pixels, std::vector<uint32_t>(9, 1u));
}

// A page switch starts its animations one after the other: each start steps only itself, so a
// set of n costs n steps, not n * n / 2.
TEST(SkinAnimation, StartingASetStepsEachOnceAndAllEndAtTheirLength) {
    std::string text = "skn 1\nform F {\n size 100 100\n";
    for (int i = 0; i < 300; ++i) text += "static {\nanimation a {\nframe 0 show alpha 0\nframe 100 alpha 255\n}\n}\n";
    auto model = std::make_shared<const SkinModel>(ParseSkin(text + "}\n"));
    TSkinLayout layout{model, SkinFormNodes(model->forms[0])};
    TSkinAnimator animator(layout);
    std::vector<int> changed;
    std::vector<TSkinAnimator::Ended> ended;
    for (int node = 1; node <= 300; ++node) animator.Start(node, 0, 1000, changed, ended);
    EXPECT_EQ(changed.size(), 300u);
    EXPECT_TRUE(ended.empty());
    EXPECT_TRUE(animator.RunningOn(300));
    EXPECT_EQ(layout.nodes[300].alpha, 0);
    // A restart ends the run before; the end comes at the sum of the frames.
    animator.Start(5, 0, 1050, changed, ended);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].node, 5);
    ended.clear();
    EXPECT_TRUE(animator.Step(1100, changed, ended));
    EXPECT_EQ(ended.size(), 299u);
    EXPECT_FALSE(animator.RunningOn(1));
    EXPECT_EQ(layout.nodes[1].alpha, 255);
    EXPECT_FALSE(animator.Step(1150, changed, ended));
    EXPECT_EQ(ended.size(), 300u);
}

TEST(SkinScrollBarMath, MovesOfAnySizeStayReachableWithoutOverflow) {
    SkinScrollValues v{-1000000000, 1000000000, 10, 1000000000, 999999990};
    struct Case {
        long long delta;
        int expected;
    } cases[] = {
        {1LL << 40, ScrollLastPosition(v)}, {-(1LL << 62), v.min}, {0, 999999990}, {-1000000000LL * 273, v.min}};
    for (const Case& c : cases) EXPECT_EQ(ScrollPositionMovedBy(v, c.delta), c.expected) << c.delta;
}
