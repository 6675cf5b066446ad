// Loading skins and the element operations, on the skin object and on a skinned window.
#include <gtest/gtest.h>
#include "skin/SkinTestSupport.h"
#include "skin/uSkinScrollBar.h"
#include "support/TestSupport.h"

namespace {
std::string LoadError(const std::wstring& path) {
    TSkin skin;
    try {
        skin.Load(path);
    } catch (const ESkinError& e) {
        EXPECT_FALSE(skin.Loaded());
        return Narrow8(e.Message());
    }
    return "loaded";
}

TEST(SkinLoad, BadFilesFailWithAClearMessage) {
    struct {
        std::wstring path;
        const char* error;
    } cases[] = {
        {L"", "The skin file was not found"},
        {L"C:\\no\\such\\file.skn", "Cannot open the skin file C:\\no\\such\\file.skn"},
        {FixturePath(L"syntax_error.skn"), "is not valid: line "},
        {FixturePath(L"corrupt_image.skn"), "image data is damaged"},
        {FixturePath(L"not_a_skin.skn"), "line 1: not a skin file"},
    };
    for (const auto& c : cases) {
        std::string error = LoadError(c.path);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(SkinLoad, AFailedLoadLeavesNoSkinAndAGoodOneReplacesIt) {
    TSkin skin;
    skin.Load(WriteSkin(MiniSkin));
    EXPECT_TRUE(skin.Loaded());
    EXPECT_THROW(skin.Load(FixturePath(L"not_a_skin.skn")), ESkinError);
    EXPECT_FALSE(skin.Loaded());
    EXPECT_THROW(skin.SkinObject(), ESkinError);
    skin.Load(TestSkinPath());
    EXPECT_EQ(skin.SkinObject().Child(0).Name(), L"Korvix");
}

TEST(SkinObject, FindChildAndKindsOfTheSkinTree) {
    TSkin skin;
    skin.Load(WriteSkin(MiniSkin));
    TSkinObject root = skin.SkinObject();
    EXPECT_EQ(root.Name(), L"Mini");
    ASSERT_EQ(root.ChildCount(), 1);
    TSkinObject form = root.Child(0);
    EXPECT_EQ(form.Kind(), TSkinElementKind::Root);
    EXPECT_EQ(form.ChildCount(), 8);
    EXPECT_EQ(form.Child(1).Name(), L"ok");
    EXPECT_THROW(form.Child(8), ESkinError);
    EXPECT_THROW(form.Child(-1), ESkinError);
    // Find reaches into groups, depth first; a missing or empty name gives none.
    EXPECT_EQ(root.Find(L"inner").Kind(), TSkinElementKind::Static);
    EXPECT_FALSE(root.Find(L"nothing"));
    EXPECT_FALSE(root.Find(L""));
    EXPECT_FALSE(root.Find(L"OK"));
    EXPECT_THROW(TSkinObject().Name(), ESkinError);
    // Colours: a form root's, a static's; the carrier is found although hidden.
    EXPECT_EQ(SkinColorValue(form.Color()), 0xF0F0F0u);
    EXPECT_EQ(SkinColorValue(root.Find(L"carrier").AsStatic().GetColor()), 0x563412u);
    EXPECT_THROW(root.Find(L"inner").AsStatic().GetColor(), ESkinError);  // no colour of its own
    EXPECT_THROW(root.Color(), ESkinError);                               // the skin is not a window
}

TEST(SkinObject, AskingForAnotherKindFailsWithTheElementsName) {
    TSkin skin;
    skin.Load(WriteSkin(MiniSkin));
    TSkinObject root = skin.SkinObject();
    struct {
        const wchar_t* name;
        int kind;  // 0 static, 1 button, 2 scroll bar
        bool ok;
    } cases[] = {{L"label", 0, true},  {L"label", 1, false}, {L"label", 2, false}, {L"ok", 1, true},
                 {L"ok", 0, false},    {L"bar", 2, true},    {L"bar", 0, false},   {L"panel", 0, false},
                 {L"panel", 1, false}, {L"Mini", 0, false}};
    for (const auto& c : cases) {
        TSkinObject e = root.Find(c.name);
        if (!e) e = root.Child(0);
        auto ask = [&] {
            if (c.kind == 0)
                e.AsStatic();
            else if (c.kind == 1)
                e.AsButton();
            else
                e.AsScrollBar();
        };
        if (c.ok) {
            EXPECT_NO_THROW(ask()) << Narrow8(c.name);
        } else {
            try {
                ask();
                ADD_FAILURE() << Narrow8(c.name) << " " << c.kind;
            } catch (const ESkinError& error) {
                EXPECT_NE(error.Message().find(c.name), std::wstring::npos) << Narrow8(error.Message());
            }
        }
    }
}

TEST(SkinObject, ButtonStateRecordsReadAndWriteBack) {
    TSkin skin;
    skin.Load(WriteSkin(MiniSkin));
    TSkinButton ok = skin.SkinObject().Find(L"ok").AsButton();
    EXPECT_EQ(ok.GetState(sbNormal).Section.Name, L"btn");
    EXPECT_EQ(ok.GetState(sbHot).Section.Name, L"hot");
    EXPECT_EQ(ok.GetState(sbPushed).Section.Name, L"down");
    EXPECT_EQ(SkinColorValue(ok.GetState(sbPushed).Color), 0xFFFFFFu);
    EXPECT_EQ(SkinColorValue(ok.GetState(sbHot).Color), 0x100000u);  // #000010: blue is the high byte
    SkinButtonState s = ok.GetState(sbNormal);
    s.Section.Name += L"_pressed";
    s.Color = {uint8_t(~s.Color.b0), uint8_t(~s.Color.b1), uint8_t(~s.Color.b2)};
    ok.SetState(sbNormal, s);
    EXPECT_EQ(ok.GetState(sbNormal), s);
    EXPECT_EQ(ok.GetState(sbHot).Section.Name, L"hot");
    EXPECT_THROW(ok.GetState(3), ESkinError);
    ok.SetCaption(L"Go");
    EXPECT_EQ(ok.Caption(), L"Go");
}

TEST(SkinObject, AnimationsReportFramesAndDurations) {
    TSkin skin;
    skin.Load(WriteSkin(MiniSkin));
    TSkinObject panel = skin.SkinObject().Find(L"panel");
    ASSERT_EQ(panel.AnimationCount(), 2);
    EXPECT_EQ(panel.AnimationName(0), L"panel_show");
    EXPECT_EQ(panel.AnimationName(1), L"panel_hide");
    ASSERT_EQ(panel.FrameCount(0), 3);
    int total = 0;
    for (int f = 0; f < panel.FrameCount(0); ++f) {
        SkinFrameRecord r = panel.Frame(0, f);
        // The duration is the fourth 32-bit field of the record.
        total += reinterpret_cast<const int32_t*>(&r)[3];
    }
    EXPECT_EQ(total, 150);
    EXPECT_THROW(panel.Frame(0, 3), ESkinError);
    EXPECT_THROW(panel.AnimationName(2), ESkinError);
    EXPECT_EQ(skin.SkinObject().Find(L"ok").AnimationCount(), 0);
}

TEST(SkinObject, ScrollBarKeepsAWrittenPositionWithinItsRange) {
    TSkin skin;
    skin.Load(WriteSkin(MiniSkin));
    TSkinScrollBar bar = skin.SkinObject().Find(L"bar").AsScrollBar();
    // Set up as the program does for T = 512: maximum T + T div 20 - 1, page T div 20.
    bar.SetMin(1);
    bar.SetMax(536);
    bar.SetPage(25);
    bar.SetStep(1);
    bar.SetPosition(512);
    EXPECT_EQ(bar.Position(), 512);
    // Beyond the last reachable position (512) but within the range: kept, as the program
    // wrote it (the thumb shows at the end).
    bar.SetPosition(513);
    EXPECT_EQ(bar.Position(), 513);
    bar.SetPosition(600);
    EXPECT_EQ(bar.Position(), 536);
    bar.SetPosition(0);
    EXPECT_EQ(bar.Position(), 1);
    EXPECT_EQ(bar.Max(), 536);
    EXPECT_EQ(bar.Page(), 25);
}

TEST(SkinObject, AMoveFromBeyondTheReachableEndNeverGoesAgainstItsDirection) {
    struct Case {
        int position, delta, moved;
    };
    // min 1, max 86, page 5: reachable 1..82.
    const Case cases[] = {
        {83, -1, 82}, {83, 1, 83}, {83, 5, 83}, {83, -5, 78}, {86, -1, 82},
        {80, 5, 82},  {2, -5, 1},  {1, -1, 1},  {60, 1, 61},  {83, 0, 83},  // no move (End at the end) keeps it
    };
    for (const Case& c : cases) {
        SkinScrollValues v{1, 86, 5, 1, c.position};
        EXPECT_EQ(ScrollPositionMovedBy(v, c.delta), c.moved) << c.position << " by " << c.delta;
    }
}

TEST(SkinObject, ReferencesOutliveTheirWindowSafely) {
    TSkin skin;
    skin.Load(WriteSkin(MiniSkin));
    TSkinStatic label;
    {
        HostWindow host;
        skin.ApplyForm(host.Handle(), L"Mini");
        label = skin.WindowObject(host.Handle()).Find(L"label").AsStatic();
        label.SetText(L"x");
        skin.UnskinWindow(host.Handle());
        EXPECT_THROW(label.SetText(L"y"), ESkinError);
        EXPECT_THROW(skin.WindowObject(host.Handle()), ESkinError);
        skin.ApplyForm(host.Handle(), L"Mini");
        label = skin.WindowObject(host.Handle()).Find(L"label").AsStatic();
    }
    // The window was destroyed with the reference still held.
    EXPECT_THROW(label.Text(), ESkinError);
    EXPECT_THROW(skin.ApplyForm(nullptr, L"Mini"), ESkinError);
    HostWindow host;
    EXPECT_THROW(skin.ApplyForm(host.Handle(), L"Nope"), ESkinError);
}
}  // namespace

namespace {
std::string ReadAll(const std::wstring& path) {
    std::string text;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read) text.append(buffer, read);
    ::CloseHandle(file);
    return text;
}

TEST(SkinDocs, TheDocumentedExampleLoadsAndIsTheFixture) {
    TSkin skin;
    skin.Load(FixturePath(L"example.skn"));
    TSkinObject root = skin.SkinObject();
    EXPECT_EQ(root.Find(L"ok").AnimationName(0), L"ok_blink");
    std::string example = ReadAll(FixturePath(L"example.skn"));
    std::string docs = ReadAll(FixturePath(L"..\\..\\..\\..\\docs\\skin-format.md"));
    ASSERT_FALSE(example.empty());
    EXPECT_NE(docs.find("```\n" + example), std::string::npos) << "docs/skin-format.md has another example";
}
}  // namespace
