// "Skin window": a plain window with standard controls takes the skin's dialog style. The
// controls keep their behaviour (focus, default button, dialog keys); only their looks change:
// background, fonts, text colours, edits and lists in the skin's colours, push buttons drawn
// from the skin's sections in their five looks. Unskinning restores what was changed.
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <utility>
#include <vector>
#include <windowsx.h>
#include "framework/uPaint.h"
#include "skin/uSkinBinding.h"
#include "skin/uSkinDialogScrollBar.h"

namespace {
const wchar_t DialogProp[] = L"KorvixSkinDialog";
constexpr UINT_PTR ButtonSubclassId = 0x4B534244;
constexpr UINT_PTR EditSubclassId = 0x4B534245;
constexpr UINT_PTR HotkeySubclassId = 0x4B534248;

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

class TSkinDialogWindow;

// What the dialog subclasses on a child control: the button it draws, the hotkey control it
// recolours, the edge it flattens. Each goes through the engine's one procedure.
enum class TChildHook { Button, Hotkey, Edge };

class TChildSubclass final : public TSkinSubclass {
public:
    TChildSubclass(TSkinDialogWindow& dialog, TChildHook hook) : dialog_(dialog), hook_(hook) {}
    void Start(HWND child, UINT_PTR id) { Attach(child, id); }
    LRESULT Pass(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

protected:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    const char* Place() const noexcept override {
        return hook_ == TChildHook::Button ? "button" : hook_ == TChildHook::Hotkey ? "hotkey" : "edge";
    }

private:
    TSkinDialogWindow& dialog_;
    TChildHook hook_;
};

class TSkinDialogWindow : public TSkinBinding {
public:
    // What can fail comes first, before the window or a child is touched.
    TSkinDialogWindow(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink)
        : TSkinBinding(window, std::move(painter), std::move(sink)), style_(painter_->Model().dialog) {
        if (!style_.present) throw ESkinError(L"The skin has no dialog style");
        tree_ = BuildDialogTree(painter_->ModelPtr());
        dpi_ = static_cast<int>(WindowDpi(window));
        editBrush_.reset(::CreateSolidBrush(SkinColorValue(style_.editBack)));
        Rebuild();
    }

    void Start() override {
        Attach();
        for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) Adopt(child);
        // The look is published (TSkinLabel reads it) once it is complete.
        ::SetPropW(window_, DialogProp, reinterpret_cast<HANDLE>(this));
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }

    ~TSkinDialogWindow() override {
        Detach();
        if (!::IsWindow(window_)) return;
        ::RemovePropW(window_, DialogProp);
        for (Child& c : children_) Restore(c);
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }

    const TSkinDialogLook& Look() const { return look_; }

protected:
    const char* Place() const noexcept override { return "dialog"; }
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_ERASEBKGND: EraseBackground(reinterpret_cast<HDC>(wParam)); return 1;
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
                return reinterpret_cast<LRESULT>(
                    CtlColor(msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
            case WM_NOTIFY: {
                auto* header = reinterpret_cast<NMHDR*>(lParam);
                Child* c = header && header->code == NM_CUSTOMDRAW ? Find(header->hwndFrom) : nullptr;
                if (c && c->listView && style_.hasListSelection)
                    return ListCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
                return DefaultProc(msg, wParam, lParam);
            }
            case WM_DRAWITEM:
                if (DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
                return DefaultProc(msg, wParam, lParam);
            case WM_SIZE: {
                LRESULT result = DefaultProc(msg, wParam, lParam);
                Rebuild();
                ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
                return result;
            }
            case WM_DPICHANGED: {
                LRESULT result = DefaultProc(msg, wParam, lParam);
                dpi_ = SkinMessageDpi(wParam);
                Rebuild();
                for (const Child& c : children_) ::SendMessageW(c.window, WM_SETFONT, WPARAM(look_.font), TRUE);
                retiredFont_.reset();  // no control holds it any more
                return result;
            }
            default: return DefaultProc(msg, wParam, lParam);
        }
    }

private:
    struct Child {
        HWND window;
        HFONT font;
        LONG_PTR style;
        bool ownerDrawn = false;
        bool isDefault = false;
        bool hot = false;
        bool listView = false;
        bool flatEdge = false;
        bool hotkey = false;
        COLORREF listColors[3] = {};
        std::shared_ptr<TSkinDialogScrollBar> scrollBar;
        std::shared_ptr<TChildSubclass> look, edge;  // the button or hotkey hook; the flat edge
    };

    // The dialog's background at its current size, and a brush that continues it under controls.
    void Rebuild() {
        SkinFaultPoint("dialog.rebuild", 0);
        RECT client{};
        ::GetClientRect(window_, &client);
        int w = std::max<int>(client.right, 1), h = std::max<int>(client.bottom, 1);
        background_ = CreateSkinDib(w, h);
        UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
        SelectGuard select(dc.get(), background_.get());
        UniqueBrush fill(::CreateSolidBrush(SkinColorValue(style_.color)));
        RECT all{0, 0, w, h};
        ::FillRect(dc.get(), &all, fill.get());
        painter_->DrawSection(dc.get(), style_.background, all, dpi_);
        backgroundBrush_.reset(::CreatePatternBrush(background_.get()));
        // The dialog keeps its own font: its controls hold it for as long as they show text.
        if (!font_ || fontDpi_ != dpi_) {
            retiredFont_ = std::move(font_);
            font_ = painter_->CreateFont(style_.font, dpi_);
            fontDpi_ = dpi_;
        }
        look_ = {font_.get(), style_.text, backgroundBrush_.get()};
        for (const Child& c : children_)
            if (c.scrollBar) c.scrollBar->SetLook(backgroundBrush_.get(), dpi_);
    }

    void EraseBackground(HDC dc) {
        RECT r{};
        ::GetClientRect(window_, &r);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::FillRect(dc, &r, backgroundBrush_.get());
    }

    Child* Find(HWND child) {
        for (Child& c : children_)
            if (c.window == child) return &c;
        return nullptr;
    }

    void Adopt(HWND child) {
        children_.push_back(Child{child, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)),
                                  ::GetWindowLongPtrW(child, GWL_STYLE)});
        Child& c = children_.back();
        std::wstring cls = ClassOf(child);
        LONG_PTR type = c.style & BS_TYPEMASK;
        if (_wcsicmp(cls.c_str(), L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            // Owner-drawn, the button still behaves as before; the system asks us for every look.
            c.ownerDrawn = true;
            c.isDefault = type == BS_DEFPUSHBUTTON;
            ::SetWindowLongPtrW(child, GWL_STYLE, (c.style & ~LONG_PTR(BS_TYPEMASK)) | BS_OWNERDRAW);
            c.look = std::make_shared<TChildSubclass>(*this, TChildHook::Button);
            c.look->Start(child, ButtonSubclassId);
        } else if (style_.hasScrollBar && _wcsicmp(cls.c_str(), WC_SCROLLBARW) == 0 &&
                   !(c.style & (SBS_SIZEBOX | SBS_SIZEGRIP))) {
            c.scrollBar = std::make_shared<TSkinDialogScrollBar>(child, window_, painter_, style_);
            c.scrollBar->SetLook(backgroundBrush_.get(), dpi_);
            c.scrollBar->Start();
        } else if (style_.hasEdit && _wcsicmp(cls.c_str(), HOTKEY_CLASSW) == 0) {
            c.hotkey = true;
            c.look = std::make_shared<TChildSubclass>(*this, TChildHook::Hotkey);
            c.look->Start(child, HotkeySubclassId);
        } else if (_wcsicmp(cls.c_str(), WC_LISTVIEWW) == 0) {
            c.listView = true;
            c.listColors[0] = ListView_GetBkColor(child);
            c.listColors[1] = ListView_GetTextColor(child);
            c.listColors[2] = ListView_GetTextBkColor(child);
            if (style_.hasList) {
                ListView_SetBkColor(child, SkinColorValue(style_.listBack));
                ListView_SetTextColor(child, SkinColorValue(style_.listText));
                ListView_SetTextBkColor(child, SkinColorValue(style_.listBack));
            }
        }
        if (!c.ownerDrawn && style_.hasEditBorder && (::GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
            // The sunken 3-D edge (of an edit, a list, any control) becomes a flat line in the
            // skin's colour (same width, so the control's layout does not move).
            c.flatEdge = true;
            c.edge = std::make_shared<TChildSubclass>(*this, TChildHook::Edge);
            c.edge->Start(child, EditSubclassId);
            ::SetWindowPos(child, nullptr, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        ::SendMessageW(child, WM_SETFONT, WPARAM(look_.font), FALSE);
    }

    void Restore(Child& c) {
        c.scrollBar.reset();
        c.look.reset();
        bool framed = std::exchange(c.edge, nullptr) != nullptr;
        if (!::IsWindow(c.window)) return;
        if (c.ownerDrawn) {
            // Keep the default-button bit the dialog manager may have moved meanwhile.
            LONG_PTR now = ::GetWindowLongPtrW(c.window, GWL_STYLE) & ~LONG_PTR(BS_TYPEMASK);
            ::SetWindowLongPtrW(c.window, GWL_STYLE, now | (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
        }
        if (framed)
            ::SetWindowPos(c.window, nullptr, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        if (c.listView) {
            ListView_SetBkColor(c.window, c.listColors[0]);
            ListView_SetTextColor(c.window, c.listColors[1]);
            ListView_SetTextBkColor(c.window, c.listColors[2]);
        }
        ::SendMessageW(c.window, WM_SETFONT, WPARAM(c.font), FALSE);
    }

    HBRUSH CtlColor(UINT msg, HDC dc, HWND control) {
        if (control && control == plainPainting_) {
            // The hotkey control paints in the system's window colours; HotkeyProc recolours it.
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::SetBkColor(dc, RGB(255, 255, 255));
            return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        }
        bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX ||
                    (msg == WM_CTLCOLORSTATIC && _wcsicmp(ClassOf(control).c_str(), L"Edit") == 0);
        if (edit && style_.hasEdit) {
            ::SetTextColor(dc, SkinColorValue(style_.editText));
            ::SetBkColor(dc, SkinColorValue(style_.editBack));
            return editBrush_.get();
        }
        ::SetTextColor(dc, SkinColorValue(style_.text));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetBkColor(dc, SkinColorValue(style_.color));
        POINT at{0, 0};
        ::MapWindowPoints(control, window_, &at, 1);
        ::SetBrushOrgEx(dc, -at.x, -at.y, nullptr);
        return backgroundBrush_.get();
    }

    bool DrawButton(const DRAWITEMSTRUCT& di) {
        Child* c = di.CtlType == ODT_BUTTON ? Find(di.hwndItem) : nullptr;
        if (!c || !c->ownerDrawn) return false;
        RECT r = di.rcItem;
        int w = r.right - r.left, h = r.bottom - r.top;
        // Drawn off screen first: the button never shows a half-drawn look.
        UniqueBitmap buffer = CreateSkinDib(w, h);
        UniqueMemoryDC mem(::CreateCompatibleDC(di.hDC));
        SelectGuard select(mem.get(), buffer.get());
        POINT at{0, 0};
        ::MapWindowPoints(di.hwndItem, window_, &at, 1);
        ::SetBrushOrgEx(mem.get(), -at.x, -at.y, nullptr);
        RECT all{0, 0, w, h};
        ::FillRect(mem.get(), &all, backgroundBrush_.get());
        int look = (di.itemState & ODS_DISABLED)   ? sdDisabled
                   : (di.itemState & ODS_SELECTED) ? sdPushed
                   : c->hot                        ? sdHot
                   : (di.itemState & ODS_FOCUS)    ? sdFocused
                   : IsDefaultButton(di.hwndItem)  ? sdDefault
                                                   : sdNormal;
        const SkinButtonState& s = style_.button[look];
        painter_->DrawSection(mem.get(), s.Section.Name, all, dpi_);
        wchar_t text[256] = {};
        ::GetWindowTextW(di.hwndItem, text, 256);
        painter_->DrawText(mem.get(), text, all, style_.font, s.Color, SkinAlign::Center, SkinAlign::Center, false,
                           dpi_);
        if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT))
            painter_->DrawFocusMark(mem.get(), all, dpi_, style_.focus, -2);
        ::BitBlt(di.hDC, r.left, r.top, w, h, mem.get(), 0, 0, SRCCOPY);
        return true;
    }

    // The button Enter presses: the one the window names (DM_GETDEFID), else one created as default.
    bool IsDefaultButton(HWND button) {
        LRESULT id = ::SendMessageW(window_, DM_GETDEFID, 0, 0);
        if (HIWORD(id) == DC_HASDEFID) return LOWORD(id) == ::GetDlgCtrlID(button);
        Child* c = Find(button);
        return c && c->isDefault;
    }

    // Selected list items in the skin's selection colours, with or without the focus.
    LRESULT ListCustomDraw(NMLVCUSTOMDRAW& cd) {
        switch (cd.nmcd.dwDrawStage) {
            case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
            case CDDS_ITEMPREPAINT: {
                const int item = static_cast<int>(cd.nmcd.dwItemSpec);
                if (ListView_GetItemState(cd.nmcd.hdr.hwndFrom, item, LVIS_SELECTED) & LVIS_SELECTED) {
                    cd.nmcd.uItemState &= ~UINT(CDIS_SELECTED);
                    cd.clrText = SkinColorValue(style_.listSelText);
                    cd.clrTextBk = SkinColorValue(style_.listSelBack);
                } else {
                    cd.clrText = SkinColorValue(style_.listText);
                    cd.clrTextBk = SkinColorValue(style_.listBack);
                }
                return CDRF_NEWFONT;
            }
            default: return CDRF_DODEFAULT;
        }
    }

public:
    LRESULT ButtonMessage(TChildSubclass& hook, UINT msg, WPARAM wParam, LPARAM lParam) {
        HWND button = hook.Subclassed();
        Child* c = Find(button);
        if (c && msg == WM_MOUSEMOVE && !c->hot) {
            c->hot = true;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, button, 0};
            ::TrackMouseEvent(&tme);
            ::InvalidateRect(button, nullptr, FALSE);
        } else if (c && msg == WM_MOUSELEAVE) {
            c->hot = false;
            ::InvalidateRect(button, nullptr, FALSE);
        } else if (msg == WM_ERASEBKGND) {
            return 1;  // the owner draws every pixel
        }
        return hook.Pass(msg, wParam, lParam);
    }

    // The system's hotkey control draws its text in the window colours whatever its parent
    // answers: it paints black on white into a buffer, which becomes the skin's edit text on
    // the edit background (grey edge pixels of the letters in between, so the text stays smooth).
    LRESULT HotkeyMessage(TChildSubclass& hook, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg != WM_PAINT || wParam) return hook.Pass(msg, wParam, lParam);
        HWND control = hook.Subclassed();
        PaintDC paint(control);
        HDC dc = paint.get();
        RECT r{};
        ::GetClientRect(control, &r);
        if (r.right > 0 && r.bottom > 0) {
            uint32_t* pixel = nullptr;
            UniqueBitmap buffer = CreateSkinDib(r.right, r.bottom, nullptr, &pixel);
            UniqueMemoryDC mem(::CreateCompatibleDC(dc));
            if (mem) {
                SelectGuard select(mem.get(), buffer.get());
                ::FillRect(mem.get(), &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
                plainPainting_ = control;
                hook.Pass(WM_PAINT, reinterpret_cast<WPARAM>(mem.get()), 0);
                plainPainting_ = nullptr;
                ::GdiFlush();
                const uint32_t text = SkinColorValue(style_.editText);
                const uint32_t back = SkinColorValue(style_.editBack);
                for (size_t i = 0, n = size_t(r.right) * size_t(r.bottom); i < n; ++i) {
                    const uint32_t p = pixel[i];
                    // How dark the pixel is: 0 for the white background, 255 for black text.
                    const int ink = 255 - int(((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) / 100);
                    auto mix = [ink](uint32_t a, uint32_t b, int shift) {
                        return ((a >> shift & 0xFF) * (255 - ink) + (b >> shift & 0xFF) * ink) / 255;
                    };
                    // A DIB is 0x00RRGGBB; the skin's colours are system colours, 0x00BBGGRR.
                    pixel[i] = mix(back, text, 0) << 16 | mix(back, text, 8) << 8 | mix(back, text, 16);
                }
                ::BitBlt(dc, 0, 0, r.right, r.bottom, mem.get(), 0, 0, SRCCOPY);
            }
        }
        return 0;
    }

    // Draws the non-client edge of a control as one line of the border colour around one of
    // the control's background, then lets the system draw any scroll bars.
    LRESULT EdgeMessage(TChildSubclass& hook, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg != WM_NCPAINT) return hook.Pass(msg, wParam, lParam);
        LRESULT result = hook.Pass(msg, wParam, lParam);
        HWND control = hook.Subclassed();
        WindowDC dc(control, true);
        RECT r{};
        ::GetWindowRect(control, &r);
        ::OffsetRect(&r, -r.left, -r.top);
        UniqueBrush border(::CreateSolidBrush(SkinColorValue(style_.editBorder)));
        UniqueBrush back(::CreateSolidBrush(SkinColorValue(style_.editBack)));
        ::FrameRect(dc.get(), &r, border.get());
        ::InflateRect(&r, -1, -1);
        ::FrameRect(dc.get(), &r, back.get());
        return result;
    }

private:
    const SkinDialogStyle& style_;
    int dpi_ = 96;
    UniqueBitmap background_;
    UniqueBrush backgroundBrush_, editBrush_;
    UniqueFont font_, retiredFont_;  // the controls' font; the one before a DPI change
    int fontDpi_ = 0;
    TSkinDialogLook look_{};
    HWND plainPainting_ = nullptr;  // the hotkey control painting into HotkeyMessage's buffer
    std::vector<Child> children_;
};
}  // namespace

LRESULT TChildSubclass::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (hook_) {
        case TChildHook::Button: return dialog_.ButtonMessage(*this, msg, wParam, lParam);
        case TChildHook::Hotkey: return dialog_.HotkeyMessage(*this, msg, wParam, lParam);
        default: return dialog_.EdgeMessage(*this, msg, wParam, lParam);
    }
}

std::unique_ptr<TSkinBinding> CreateDialogBinding(HWND window, std::shared_ptr<TSkinPainter> painter,
                                                  TSkinEventSink sink) {
    auto binding = std::make_unique<TSkinDialogWindow>(window, std::move(painter), std::move(sink));
    binding->Start();
    return binding;
}

const TSkinDialogLook* DialogLookOf(HWND dialog) {
    auto* binding = reinterpret_cast<TSkinDialogWindow*>(::GetPropW(dialog, DialogProp));
    return binding ? &binding->Look() : nullptr;
}
