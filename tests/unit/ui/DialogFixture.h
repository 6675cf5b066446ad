// The skinned dialogs on a real engine window (the one that holds the shared skin control),
// with a plain visible form as the owner that the main window will be, the shipped default
// skin configured, and a way to act inside a dialog's modal loop.
#pragma once
#include <functional>
#include <ostream>
#include <string>
#include "engine/EngineFixture.h"
#include "framework/uForm.h"
#include "legacy/uGlobals.h"
#include "ui/uSkinService.h"
#include "ui/uWindowContext.h"

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

// The absolute path of a skin of the build (default.skn, dark.skn, test.skn).
std::wstring ShippedSkin(const wchar_t* name);

// Runs `action` from the message loop once the caller has entered it (a modal loop, say).
// Cancelled when the fixture ends without the loop having run it.
void WhenLooping(std::function<void()> action);
void CancelLooping();
bool LoopingPending();

class OwnerForm : public TForm {
protected:
    CreateParams FormParams() override {
        return {.className = L"KorvixTestOwner",
                .title = L"Owner",
                .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                .x = 100,
                .y = 100,
                .width = 500,
                .height = 400};
    }
};

class DialogTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        owner = Application.CreateForm<OwnerForm>();
        // As the program connects them: the engine window's control is the dialogs' shared one.
        skins.ShareDialogSkinOf(engine.get());
        Options->SetSkin(ShippedSkin(L"default.skn"));
        listener = std::make_unique<MessageRecorder>();
        Options->RegisterListener(listener->Handle());
        PumpMessages();
        listener->Take();
        engine->Handled.clear();
    }
    void TearDown() override {
        CancelLooping();
        skins.ShareDialogSkinOf(nullptr);
        Options->UnregisterListener(listener->Handle());
        listener.reset();
        EngineTest::TearDown();
    }
    // The change flags the options announced since the last call.
    std::vector<WPARAM> Announced() {
        PumpMessages();
        std::vector<WPARAM> flags;
        for (const auto& m : listener->Take())
            if (m.msg == WM_OPTIONSCHANGED) flags.push_back(m.wParam);
        return flags;
    }

    TWindowContext Context() { return {*Options, requests, skins}; }

    OwnerForm* owner = nullptr;
    std::unique_ptr<MessageRecorder> listener;
    TSkinService skins;
    TEngineMessages requests{[] { return EngineWindow; }};
};
