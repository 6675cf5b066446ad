#include "skin/SkinTestSupport.h"
#include <algorithm>
#include <cstdio>
#include <psapi.h>
#include "skin/uSkinImages.h"
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

namespace {
// Deflate with the fixed codes: one literal zero, then matches of 258 bytes at distance 1.
class BitWriter {
public:
    std::vector<uint8_t> bytes;
    void Bits(uint32_t value, int count) {  // least significant bit first
        for (int i = 0; i < count; ++i) Bit(value >> i & 1);
    }
    void Code(uint32_t code, int length) {  // Huffman codes go most significant bit first
        for (int i = length - 1; i >= 0; --i) Bit(code >> i & 1);
    }

private:
    void Bit(uint32_t b) {
        if (used_ == 0) bytes.push_back(0);
        bytes.back() |= uint8_t(b << used_);
        used_ = (used_ + 1) % 8;
    }
    int used_ = 0;
};

std::vector<uint8_t> ZeroZlib(size_t size) {
    BitWriter w;
    w.Bits(1, 1);  // the last block
    w.Bits(1, 2);  // fixed codes
    size_t done = 0;
    if (size > 0) {
        w.Code(0x30, 8);  // literal 0
        done = 1;
    }
    while (size - done >= 258) {
        w.Code(0xC5, 8);  // length 258 (symbol 285)
        w.Code(0, 5);     // distance 1
        done += 258;
    }
    while (done < size) {
        w.Code(0x30, 8);
        ++done;
    }
    w.Code(0, 7);  // end of block
    std::vector<uint8_t> out = {0x78, 0x01};
    out.insert(out.end(), w.bytes.begin(), w.bytes.end());
    // Adler-32 of zeros: a = 1, b = size mod 65521.
    uint32_t adler = uint32_t(size % 65521) << 16 | 1;
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(adler >> shift));
    return out;
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    auto put32 = [&](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(uint8_t(v >> shift));
    };
    put32(uint32_t(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put32(Crc32(png.data() + start, png.size() - start));
}
}  // namespace

std::vector<uint8_t> ZeroPng(int width, int height, size_t inflated) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    for (int v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(uint8_t(v >> shift));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", ZeroZlib(inflated));
    Chunk(png, "IEND", {});
    return png;
}

std::string ImageBlock(const std::string& name, int width, int height, const std::vector<uint8_t>& png) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", Crc32(png.data(), png.size()));
    std::string encoded = EncodeBase64(png.data(), png.size()), text;
    text = "image " + name + " 1x " + std::to_string(width) + " " + std::to_string(height) + " crc32 " + crc + "\n";
    for (size_t i = 0; i < encoded.size(); i += 76) text += encoded.substr(i, 76) + "\n";
    return text + "end\n";
}

size_t PeakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    // Wine reports the current commit as its peak but keeps the peak of resident memory, which
    // the same allocations raise (their pages are written).
    return std::max<size_t>(counters.PeakPagefileUsage, counters.PeakWorkingSetSize);
}
