#include "skin/SkinTestSupport.h"
#include <cstdio>
#include "support/TestSupport.h"

const char* const MiniSkin = R"(skn 1
name "Mini"
color ink #102030
font body "Tahoma" 9
section back fill solid #F0F0F0
section btn fill solid #C0C0C0 radius 3
section btn_pressed fill solid #404040
section btn_checked fill solid #00A000
section hot fill solid #D0D0FF
section down fill solid #8080FF
section track fill solid #E0E0E0
section thumb fill solid #202080
section arrow fill solid #808080
section panel fill solid #FF0000
section blue fill solid #0000FF

form Mini {
  size 200 120
  color #F0F0F0
  background back
  font body
  static title {
    rect 0 0 200 16
    text "Mini"
    color ink
    drag
  }
  button ok {
    rect 10 20 60 20
    caption "OK"
    normal btn #000000
    hot hot #000010
    pushed down #FFFFFF
  }
  button other {
    rect 80 20 60 20
    caption "Other"
    normal btn #000000
  }
  scrollbar bar {
    rect 10 50 100 10
    track track
    thumb thumb
    arrows arrow arrow
    min 0
    max 19
    page 10
    step 1
    position 0
  }
  static label {
    rect 120 50 70 20
    text "Label"
    color #112233
    section blue
  }
  group panel {
    rect 10 70 100 40
    section panel
    hidden
    static inner {
      rect 20 80 30 10
      text "in"
    }
    animation panel_show {
      frame 0 show alpha 0 offset 10 0
      frame 100 alpha 255 offset 0 0
      frame 50
    }
    animation panel_hide {
      frame 40 alpha 0
      frame 0 hide alpha 255
    }
  }
  static {
    rect 150 90 40 20
    section blue
  }
  static carrier {
    hidden
    color #123456
  }
}

dialog {
  color #E0E8F0
  font body
  text #203040
  button normal btn #000000
  button pushed down #FFFFFF
  button disabled btn #808080
  edit #000000 #FFFFEE #FF00FF
  list #101010 #FAFAFA
}
)";

namespace {
std::vector<std::wstring>& TempFiles() {
    static struct Files {
        std::vector<std::wstring> paths;
        ~Files() {
            for (const auto& p : paths) ::DeleteFileW(p.c_str());
        }
    } files;
    return files.paths;
}
}  // namespace

std::wstring WriteSkin(const std::string& text) {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"skn", 0, path);
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    ::CloseHandle(file);
    TempFiles().push_back(path);
    return path;
}

std::wstring TestSkinPath() { return std::wstring(KORVIX_SKIN_DIR) + L"\\test.skn"; }
std::wstring FixturePath(const wchar_t* name) { return std::wstring(KORVIX_SKIN_FIXTURES) + L"\\" + name; }

HostWindow::HostWindow(DWORD style, int width, int height) {
    CreateHandle({.className = L"KorvixSkinTestHost",
                  .title = L"Skin test",
                  .style = style,
                  .x = 40,
                  .y = 40,
                  .width = width,
                  .height = height,
                  .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
}

std::string Narrow8(const std::wstring& text) { return std::string(text.begin(), text.end()); }

EventLog::EventLog(TSkin& skin) {
    skin.OnSkinEvent = [this](TSkinObject s, const std::wstring& name) {
        lines.push_back("SkinEvent " + Narrow8(s.Name()) + " " + Narrow8(name));
    };
    auto mouse = [this](const char* what) {
        return [this, what](TSkinObject s, TMouseButton b, int x, int y) {
            lines.push_back(std::string(what) + " " + Narrow8(s.Name()) + " " + std::to_string(int(b)) + " " +
                            std::to_string(x) + " " + std::to_string(y));
        };
    };
    skin.OnMouseDown = mouse("MouseDown");
    skin.OnMouseUp = mouse("MouseUp");
    skin.OnScroll = [this](TSkinObject s, int pos) {
        lines.push_back("Scroll " + Narrow8(s.Name()) + " " + std::to_string(pos));
    };
    skin.OnScrollTrack = [this](TSkinObject s, int pos) {
        lines.push_back("ScrollTrack " + Narrow8(s.Name()) + " " + std::to_string(pos));
    };
    skin.OnAnimationEnd = [this](TSkinObject s, const std::wstring& animation) {
        lines.push_back("AnimationEnd " + Narrow8(s.Name()) + " " + Narrow8(animation));
    };
}

std::vector<std::string> EventLog::Take() {
    std::vector<std::string> out;
    out.swap(lines);
    return out;
}

void Mouse(HWND window, UINT msg, int x, int y) {
    WPARAM keys = (msg == WM_LBUTTONDOWN || msg == WM_MOUSEMOVE) && ::GetCapture() == window ? MK_LBUTTON : 0;
    if (msg == WM_LBUTTONDOWN) keys = MK_LBUTTON;
    ::SendMessageW(window, msg, keys, MAKELPARAM(x, y));
}

void Key(HWND window, UINT key) {
    ::SendMessageW(window, WM_KEYDOWN, key, 1);
    ::SendMessageW(window, WM_KEYUP, key, 0xC0000001);
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    ::UpdateWindow(window);
    PumpMessages();
    HDC dc = ::GetDC(window);
    COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return c;
}

std::string RichDialogSkin() {
    std::string text = MiniSkin;
    const std::string list = "  list #101010 #FAFAFA\n";
    text.replace(text.find(list), list.size(),
                 "  list #101010 #FAFAFA #FFFFFF #FF0000\n"
                 "  button default blue #FFFFFF\n"
                 "  scrollbar track thumb hot\n");
    return text;
}
