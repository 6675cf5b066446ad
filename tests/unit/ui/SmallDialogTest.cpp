// The skinned dialog base, the hotkey dialog and its flow, the ask-defaults dialog and its flow.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <string>
#include "DialogFixture.h"
#include "framework/uHandles.h"
#include "ui/fAskDefaults.h"
#include "ui/fHotkey2.h"

namespace {
constexpr int32_t CtrlAltK = 0x4000 | 0x8000 | 'K';

std::array<int32_t, 3> OptionHotkeys() { return {Options->Hotkey1(), Options->Hotkey2(), Options->Hotkey3()}; }

// A key as the application's loop hands it to the dialog manager.
void DialogKey(TForm& form, UINT key) {
    HWND focus = ::GetFocus();
    MSG msg{focus && ::IsChild(form.Handle(), focus) ? focus : form.Handle(), WM_KEYDOWN, key, 0};
    ::IsDialogMessageW(form.Handle(), &msg);
}

LONG FontHeight(HWND window) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return std::abs(font.lfHeight);
}
}  // namespace

using HotkeyFlowTest = DialogTest;

TEST_F(HotkeyFlowTest, OkStoresTheNewCombinationAndTheEngineHoldsNoHotkeyWhileTheDialogIsOpen) {
    const int32_t before = Options->Hotkey1();
    bool shown = false;
    WhenLooping([&] {
        auto* dialog = Application.FindForm<TfrmHotkey2>();
        ASSERT_NE(dialog, nullptr);
        shown = dialog->Visible();
        EXPECT_EQ(::GetWindow(dialog->Handle(), GW_OWNER), owner->Handle());
        EXPECT_EQ(dialog->HotKey(), before);
        EXPECT_EQ(dialog->cmdOK->Text(), L"OK");
        EXPECT_EQ(dialog->lblExplain->Caption(), L"Here you can define the shortcut (hotkey) for the preset free-up.");
        // Released: the current combination typed into the control starts no free-up.
        EXPECT_EQ(engine->Hotkeys().Ids, (std::array<int32_t, 3>{-1, -1, -1}));
        EXPECT_FALSE(::IsWindowEnabled(owner->Handle()));
        dialog->HotKeyControl->SetValue(CtrlAltK);
        dialog->cmdOK->Click();
    });
    RunHotkeyFlow(*owner, Context(), 1);
    EXPECT_TRUE(shown);
    EXPECT_EQ(Options->Hotkey1(), CtrlAltK);
    EXPECT_EQ(Announced(), std::vector<WPARAM>{ocManual});
    // Restored with the new value, and the dialog is gone.
    EXPECT_EQ(engine->Hotkeys().Values, OptionHotkeys());
    EXPECT_EQ(Application.FindForm<TfrmHotkey2>(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner->Handle()));
    // Both were sent: handled by the engine before the flow went on.
    EXPECT_EQ(Count(engine->Handled, WM_HOTKEYSRELEASE), 1);
    EXPECT_EQ(Count(engine->Handled, WM_HOTKEYSRESTORE), 1);
}

TEST_F(HotkeyFlowTest, CancelCloseAndAnUnchangedOkChangeNothingAndRestoreTheHotkeys) {
    struct Case {
        const char* name;
        std::function<void(TfrmHotkey2&)> end;
    };
    const Case cases[] = {
        {"Cancel after typing",
         [](TfrmHotkey2& d) {
             d.HotKeyControl->SetValue(CtrlAltK);
             d.cmdCancel->Click();
         }},
        {"Escape after typing",
         [](TfrmHotkey2& d) {
             d.HotKeyControl->SetValue(CtrlAltK);
             DialogKey(d, VK_ESCAPE);
         }},
        {"the close box", [](TfrmHotkey2& d) { ::SendMessageW(d.Handle(), WM_CLOSE, 0, 0); }},
        {"OK unchanged", [](TfrmHotkey2& d) { d.cmdOK->Click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = OptionHotkeys();
        WhenLooping([&] { c.end(*Application.FindForm<TfrmHotkey2>()); });
        RunHotkeyFlow(*owner, Context(), 2);
        EXPECT_FALSE(LoopingPending());
        EXPECT_EQ(OptionHotkeys(), before);
        EXPECT_TRUE(Announced().empty());
        EXPECT_EQ(engine->Hotkeys().Values, before);
    }
}

TEST_F(HotkeyFlowTest, ASkinThatCannotBeLoadedIsToldOnceAndTheSecondAttemptOpensThePlainDialog) {
    Options->SetSkin(L"default.skn");  // not in the test program's folder
    PumpMessages();
    listener->Take();
    const auto before = OptionHotkeys();
    WhenLooping([] { ADD_FAILURE() << "the dialog was shown"; });
    RunHotkeyFlow(*owner, Context(), 2);
    ASSERT_EQ(fakes::Boxes::shown.size(), 1u);
    const fakes::Box& box = fakes::Boxes::shown[0];
    // The option as stored, then what the loader said about it.
    EXPECT_EQ(box.text,
              L"There was an error loading the skin (default.skn). Please load a different skin.\r\n\r\n"
              L"The skin file was not found");
    EXPECT_EQ(box.caption, L"Korvix Professional");
    EXPECT_EQ(box.type & MB_ICONMASK, UINT(MB_ICONERROR));
    EXPECT_EQ(box.owner, owner->Handle());
    CancelLooping();
    EXPECT_EQ(OptionHotkeys(), before);
    EXPECT_EQ(engine->Hotkeys().Values, before);
    EXPECT_EQ(Application.FindForm<TfrmHotkey2>(), nullptr);

    // The shared control holds that name now and does not try it again: no message, the
    // dialog in its plain look.
    bool plain = false;
    WhenLooping([&] {
        auto* dialog = Application.FindForm<TfrmHotkey2>();
        plain = dialog && !dialog->Root();
        dialog->cmdCancel->Click();
    });
    RunHotkeyFlow(*owner, Context(), 2);
    EXPECT_TRUE(plain);
    EXPECT_EQ(fakes::Boxes::shown.size(), 1u);
}

using SkinnedDialogTest = DialogTest;

TEST_F(SkinnedDialogTest, IsSkinnedWhenShownWithTheRootColourAndUnskinnedWhenDestroyed) {
    auto* dialog = Application.CreateForm<TfrmHotkey2>(owner, skins);
    dialog->UseSkin(Options->SkinFileName());
    EXPECT_EQ(engine->SkinFile(), Options->SkinFileName());
    dialog->Show();
    ASSERT_TRUE(dialog->Root());
    EXPECT_EQ(dialog->Color(), SkinColorValue(dialog->Root().Color()));
    EXPECT_NE(dialog->Color(), ::GetSysColor(COLOR_BTNFACE));
    HWND window = dialog->Handle();
    bool stillSkinned = true;
    dialog->OnDestroy = [&](TForm&) {
        try {
            engine->Skin.WindowObject(window);
        } catch (const ESkinError&) {
            stillSkinned = false;
        }
    };
    Application.DestroyForm(dialog);
    EXPECT_FALSE(stillSkinned);
}

TEST_F(SkinnedDialogTest, LaysItselfOutAgainForTheScaleOfAnotherMonitor) {
    auto* dialog = Application.CreateForm<TfrmHotkey2>(owner, skins);
    ASSERT_EQ(dialog->Dpi(), 96u);
    EXPECT_EQ(dialog->cmdOK->Bounds(), (RECT{80, 88, 155, 113}));
    RECT client{};
    ::GetClientRect(dialog->Handle(), &client);
    EXPECT_EQ(client, (RECT{0, 0, 259, 121}));
    const LONG font100 = FontHeight(dialog->cmdOK->Handle());

    RECT window{};
    ::GetWindowRect(dialog->Handle(), &window);
    RECT suggested{window.left, window.top, window.left + 2 * (window.right - window.left),
                   window.top + 2 * (window.bottom - window.top)};
    ::SendMessageW(dialog->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(dialog->Dpi(), 192u);
    EXPECT_EQ(dialog->cmdOK->Bounds(), (RECT{160, 176, 310, 226}));
    EXPECT_EQ(dialog->HotKeyControl->Bounds(), (RECT{16, 112, 482, 150}));
    EXPECT_NEAR(FontHeight(dialog->cmdOK->Handle()), 2 * font100, 1);
    Application.DestroyForm(dialog);
}

// The skinned dialog's controls are real windows: a screen reader sees them as the system
// describes any dialog, none hidden or left nameless by the skin.
TEST_F(SkinnedDialogTest, AScreenReaderSeesTheSkinnedDialogsControlsAsTheSystemShowsThem) {
    constexpr GUID kIID_IAccessible{0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    auto* dialog = Application.CreateForm<TfrmHotkey2>(owner, skins);
    dialog->UseSkin(Options->SkinFileName());
    dialog->Show();
    ASSERT_TRUE(dialog->Root());
    for (TButton* button : {dialog->cmdOK.get(), dialog->cmdCancel.get()}) {
        HWND control = button->Handle();
        EXPECT_TRUE(::IsWindowVisible(control));
        IAccessible* object = nullptr;
        ASSERT_EQ(::AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), kIID_IAccessible,
                                               reinterpret_cast<void**>(&object)),
                  S_OK);
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        HRESULT hr = object->get_accName(self, &name);
        wchar_t text[64] = {};
        ::GetWindowTextW(control, text, 64);
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(std::wstring(name ? name : L""), std::wstring(text));
        EXPECT_FALSE(std::wstring(text).empty());
        VARIANT state{};
        if (object->get_accState(self, &state) == S_OK && state.vt == VT_I4) {
            EXPECT_FALSE(state.lVal & STATE_SYSTEM_INVISIBLE);
        }
        ::SysFreeString(name);
        object->Release();
    }
    Application.DestroyForm(dialog);
}

using AskDefaultsFlowTest = DialogTest;

TEST_F(AskDefaultsFlowTest, YesAppliesTheDefaultsWithOneAnnouncementNoAndEscapeChangeNothing) {
    Options->ApplyDefaults();
    const uint32_t defaultAmount = Options->Amount1();
    struct Case {
        const char* name;
        std::function<void(TfrmAskDefaults&)> answer;
        bool applied;
    };
    const Case cases[] = {
        {"No", [](TfrmAskDefaults& d) { d.cmdNo->Click(); }, false},
        {"Escape", [](TfrmAskDefaults& d) { DialogKey(d, VK_ESCAPE); }, false},
        {"the close box", [](TfrmAskDefaults& d) { ::SendMessageW(d.Handle(), WM_CLOSE, 0, 0); }, false},
        {"Enter (Yes is the default button)", [](TfrmAskDefaults& d) { DialogKey(d, VK_RETURN); }, true},
        {"Yes", [](TfrmAskDefaults& d) { d.cmdYes->Click(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Options->SetAmount1(defaultAmount - 7);
        Announced();
        bool asked = false;
        WhenLooping([&] {
            auto* dialog = Application.FindForm<TfrmAskDefaults>();
            ASSERT_NE(dialog, nullptr);
            asked = dialog->Visible() && dialog->Root();
            EXPECT_EQ(::GetWindow(dialog->Handle(), GW_OWNER), owner->Handle());
            c.answer(*dialog);
        });
        RunAskDefaultsFlow(*owner, Context());
        EXPECT_TRUE(asked);
        EXPECT_EQ(Application.FindForm<TfrmAskDefaults>(), nullptr);
        if (c.applied) {
            EXPECT_EQ(Options->Amount1(), defaultAmount);
            EXPECT_EQ(Announced(), std::vector<WPARAM>{ocAll});
        } else {
            EXPECT_EQ(Options->Amount1(), defaultAmount - 7);
            EXPECT_TRUE(Announced().empty());
        }
    }
}

TEST_F(SkinnedDialogTest, TheServiceReadsAFileOnceForTheDialogsAndAWindowOfItsOwnAndAgainOnceChanged) {
    // The dialogs' shared control and a control of its own (as the main window has) on one service.
    wchar_t dir[MAX_PATH], temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"skn", 0, temp);
    const std::wstring path = temp;
    ASSERT_TRUE(::CopyFileW(ShippedSkin(L"default.skn").c_str(), temp, FALSE));
    skins.UseDialogSkin(path);
    TSkin own;
    skins.Serve(own);
    own.Load(path);
    EXPECT_EQ(skins.Reads(), 1);
    EXPECT_TRUE(own.Loaded());
    // A file changed on disk since is read again.
    {
        UniqueKernelHandle file(
            ::CreateFileW(temp, FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const char more[] = "\n# changed\n";
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), more, DWORD(sizeof(more) - 1), &written, nullptr));
    }
    own.Load(path);
    EXPECT_EQ(skins.Reads(), 2);
    // A file that fails is reported with the loader's message, and remembered by nobody.
    EXPECT_THROW(own.Load(ShippedSkin(L"no such skin.skn")), ESkinError);
    EXPECT_EQ(skins.Reads(), 3);
    own.Unload();
    skins.ShareDialogSkinOf(nullptr);
    engine->Skin.Unload();
    ::DeleteFileW(temp);
}
