#include "skin/uSkinModel.h"

const SkinForm* SkinModel::FindForm(const std::wstring& formName) const {
    for (const SkinForm& f : forms)
        if (f.name == formName) return &f;
    return nullptr;
}

const SkinSection* SkinModel::ResolveSection(const std::wstring& sectionName) const {
    static const std::wstring suffixes[] = {L"_pressed", L"_checked"};
    std::wstring wanted = sectionName;
    for (;;) {
        auto it = sectionIndex.find(wanted);
        if (it != sectionIndex.end()) return &sections[it->second];
        bool dropped = false;
        for (const std::wstring& suffix : suffixes) {
            if (wanted.size() > suffix.size() &&
                wanted.compare(wanted.size() - suffix.size(), suffix.size(), suffix) == 0) {
                wanted.resize(wanted.size() - suffix.size());
                dropped = true;
                break;
            }
        }
        if (!dropped) return nullptr;
    }
}

bool Utf8ToWide(const std::string& in, std::wstring& out) {
    out.clear();
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        unsigned char c = in[i];
        uint32_t cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= in.size() && extra > 0) return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = in[i + k];
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3F);
        }
        static const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
            cp -= 0x10000;
            out += wchar_t(0xD800 + (cp >> 10));
            out += wchar_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += wchar_t(cp);
        }
        i += extra + 1;
    }
    return true;
}

std::string WideToUtf8(const std::wstring& in) {
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        uint32_t cp = uint32_t(in[i]);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size()) {
            uint32_t low = uint32_t(in[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | cp >> 6);
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | cp >> 12);
            out += char(0x80 | (cp >> 6 & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | cp >> 18);
            out += char(0x80 | (cp >> 12 & 0x3F));
            out += char(0x80 | (cp >> 6 & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}
