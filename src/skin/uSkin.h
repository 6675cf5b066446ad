// The skin engine: loads a .skn file, draws windows from its forms and reports what the user
// does to named elements. One TSkin per window that owns one (the main window; the engine
// window's instance is shared by every skinned dialog). Every failure is an ESkinError.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include "framework/uException.h"
#include "skin/uSkinTypes.h"

class TSkinSource;
class TSkinStatic;
class TSkinButton;
class TSkinScrollBar;
struct TSkinTree;
struct TSkinNode;
struct TSkinAccess;

// A reference to one element of a skinned window (or of the skin object). Copies refer to the
// same element; a reference whose window was unskinned or destroyed throws on use. A
// default-constructed reference is "none", which is what Find returns for a missing name.
class TSkinObject {
public:
    TSkinObject() = default;
    explicit operator bool() const noexcept { return tree_ != nullptr; }

    std::wstring Name() const;
    TSkinElementKind Kind() const;
    // The element of that name anywhere beneath this one, depth first; none when absent.
    TSkinObject Find(const std::wstring& name) const;
    int ChildCount() const;
    TSkinObject Child(int index) const;
    // Redraws the element (only its rectangle is repainted).
    void Refresh() const;
    // Client pixels of the window, relative to the window root: left, top, right, bottom.
    RECT Rectangle() const;

    // Animations attached to this element.
    int AnimationCount() const;
    std::wstring AnimationName(int index) const;
    int FrameCount(int index) const;
    SkinFrameRecord Frame(int index, int frame) const;
    // Starts the animation and returns at once; the window's animation timer plays it, and
    // the skin's OnAnimationEnd tells when it has ended.
    void StartAnimation(int index) const;
    // Whether an animation of this element or of one beneath it plays now (never for the skin
    // object, whose animations jump to their end).
    bool AnimationRunning() const;

    // The colour of a window root; any other element throws.
    TSkinColor Color() const;

    // The element as one of its kinds; an element of another kind throws.
    TSkinStatic AsStatic() const;
    TSkinButton AsButton() const;
    TSkinScrollBar AsScrollBar() const;

protected:
    friend struct TSkinAccess;
    TSkinObject(std::shared_ptr<TSkinTree> tree, int index) : tree_(std::move(tree)), index_(index) {}
    TSkinNode& Node() const;  // throws for none and for a gone window
    std::shared_ptr<TSkinTree> tree_;
    int index_ = -1;
};

class TSkinStatic : public TSkinObject {
public:
    void SetText(const std::wstring& text) const;
    std::wstring Text() const;
    TSkinColor GetColor() const;
    SkinImageSection GetImageSection() const;
    void SetImageSection(const SkinImageSection& section) const;

private:
    friend class TSkinObject;
    using TSkinObject::TSkinObject;
};

class TSkinButton : public TSkinObject {
public:
    void SetCaption(const std::wstring& caption) const;
    std::wstring Caption() const;
    // Index 0 normal, 1 hot, 2 pushed (TSkinButtonLook).
    SkinButtonState GetState(int index) const;
    void SetState(int index, const SkinButtonState& state) const;
    // Element state: a pressed button draws each look's section with "_pressed" appended and
    // its caption in the inverse colour; a checked one with "_checked" (before "_pressed" when
    // both). A skin without such sections falls back to the plain ones. Setting the state it
    // has changes nothing; a change repaints the button.
    void SetPressed(bool pressed) const;
    bool Pressed() const;
    void SetChecked(bool checked) const;
    bool Checked() const;

private:
    friend class TSkinObject;
    using TSkinObject::TSkinObject;
};

// Reachable positions run from Min to Max - Page + 1 (Max when Page is 0).
class TSkinScrollBar : public TSkinObject {
public:
    void SetMin(int value) const;
    void SetMax(int value) const;
    void SetPage(int value) const;
    void SetStep(int value) const;
    void SetPosition(int value) const;
    int Min() const;
    int Max() const;
    int Page() const;
    int Step() const;
    int Position() const;

private:
    friend class TSkinObject;
    using TSkinObject::TSkinObject;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// What a screen reader is told of one element of a skinned form (Microsoft Active
// Accessibility). The engine knows where elements are and what state they are in; the program
// knows what they mean.
enum class TSkinAccessRole { None, PushButton, CheckBox, RadioButton, Slider, StaticText, StatusBar };
struct TSkinAccessInfo {
    TSkinAccessRole Role = TSkinAccessRole::None;  // None: not shown to accessibility tools
    std::wstring Name;
    std::wstring Value;        // a slider's value as the window shows it
    std::wstring Description;  // a longer explanation (the element's help)
};

class TSkin {
public:
    TSkin();
    ~TSkin();
    TSkin(const TSkin&) = delete;
    TSkin& operator=(const TSkin&) = delete;

    // Loads a skin file (replacing the loaded one); a missing or bad file throws and leaves
    // no skin loaded. Windows drawn before keep their look until they are unskinned.
    void Load(const std::wstring& fileName);
    // Files are read and decoded through `source` from now on, so every TSkin on the same
    // source shares a file they both hold (null: each load reads its file).
    void SetSource(std::shared_ptr<TSkinSource> source) noexcept;
    void Unload() noexcept;
    bool Loaded() const noexcept;
    const std::wstring& FileName() const noexcept;

    // The element tree of the whole loaded skin: its children are the forms.
    TSkinObject SkinObject();
    // A plain window with standard controls takes the skin's dialog style.
    void SkinWindow(HWND window);
    // The window is drawn from the skin's form of that name.
    void ApplyForm(HWND window, const std::wstring& formName);
    // The window gets its plain look back; a window this skin does not draw is left alone.
    void UnskinWindow(HWND window) noexcept;
    TSkinObject WindowObject(HWND window);
    // Context help: while on, a press on the window's elements only tells which element it
    // was (OnSkinEvent "OnMouseDown", OnMouseDown, OnMouseUp): no button is pushed or
    // clicked and no scroll bar moves, by mouse or keys. A window this skin does not draw is
    // left alone.
    void SetHelpMode(HWND window, bool on) noexcept;

    // Events. Handlers may unskin or destroy the window; the engine touches nothing after.
    std::function<void(TSkinObject source, const std::wstring& eventName)> OnSkinEvent;
    std::function<void(TSkinObject source, TMouseButton button, int x, int y)> OnMouseDown;
    std::function<void(TSkinObject source, TMouseButton button, int x, int y)> OnMouseUp;
    std::function<void(TSkinObject source, int newPos)> OnScroll;
    std::function<void(TSkinObject source, int newPos)> OnScrollTrack;
    // An animation of a window's element has ended: played to its end, or stopped because
    // another one started on the same element. Delivered from the message loop, after the
    // call that started or stopped it has returned.
    std::function<void(TSkinObject element, const std::wstring& animation)> OnAnimationEnd;
    // A form answers accessibility tools (WM_GETOBJECT) with the visible elements for which
    // this tells a role; without it the window is left to the system.
    std::function<TSkinAccessInfo(TSkinObject element)> OnAccessibleInfo;
    // Errors thrown by the handlers above end here, never in the system's code; without a
    // handler they go to the application's error sink (Application.HandleException), as the
    // engine's own failures always do.
    std::function<void(const Exception& error)> OnError;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
