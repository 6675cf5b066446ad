// The .skn reader: text → SkinModel. Line-oriented: one statement per line, blocks opened by
// "{" at the end of a line and closed by a line holding "}". Every refusal names its line.
#include <algorithm>
#include <map>
#include "skin/uSkinImages.h"
#include "skin/uSkinLexer.h"
#include "skin/uSkinModel.h"

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text), lexer_(text) {}
    SkinModel Parse();

private:
    void ParseTopLevel(SkinStatement& s);
    void ParseColor(SkinStatement& s);
    void ParseFont(SkinStatement& s);
    void ParseSection(SkinStatement& s);
    void ParseImage(SkinStatement& s);
    void ParseForm(SkinStatement& s);
    void ParseDialog(SkinStatement& s);
    void ParseElement(SkinForm& form, int parent, TSkinElementKind kind, SkinStatement& head, int depth);
    bool ParseElementProperty(SkinForm& form, SkinElement& e, SkinStatement& s, int depth, int self);
    void ParseAnimation(SkinElement& e, SkinStatement& head);
    void ParseFrame(SkinAnimation& a, SkinStatement& s);
    TSkinColor Color(SkinStatement& s, const char* what);
    int FontRef(SkinStatement& s);
    SkinRect Rect(SkinStatement& s);
    SkinButtonState ButtonLook(SkinStatement& s);
    // Reads the statements of a block until its "}"; each goes to `body`.
    template <typename Body>
    void Block(SkinStatement& head, Body body);
    void Resolve();
    void CheckPaintBudget(const SkinForm& form);
    void CheckSection(const std::wstring& name, int line, const char* what);

    const std::string& text_;
    TSkinLexer lexer_;
    SkinModel model_;
    std::map<std::string, TSkinColor> colors_;
    std::map<std::wstring, int> fonts_;
    std::map<std::wstring, int> elementLines_;  // names of the form being read
    int elementCount_ = 0;
    int frameCount_ = 0;
    int64_t imagePixels_ = 0;
};

template <typename Body>
void Parser::Block(SkinStatement& head, Body body) {
    if (!head.OpensBlock()) SkinFail(head.Line(), "'{' expected at the end of the line");
    int open = head.Line();
    SkinStatement* s = nullptr;
    while (lexer_.NextStatement(s)) {
        if (s->Keyword() == "}") {
            s->End();
            return;
        }
        body(*s);
    }
    SkinFail(open, "block is not closed: '}' missing");
}

SkinModel Parser::Parse() {
    if (text_.size() > SkinLimits::FileBytes) SkinFail(1, "the file is larger than 16 MB");
    SkinStatement* s = nullptr;
    if (!lexer_.NextStatement(s) || s->Keyword() != "skn")
        SkinFail(lexer_.Line() ? lexer_.Line() : 1, "not a skin file: it must begin with 'skn 1'");
    if (s->Int("format version", 1, 1000) != 1)
        SkinFail(s->Line(), "this is a newer skin format: only version 1 is known");
    s->End();
    while (lexer_.NextStatement(s)) ParseTopLevel(*s);
    Resolve();
    return std::move(model_);
}

void Parser::ParseTopLevel(SkinStatement& s) {
    const std::string& k = s.Keyword();
    if (k == "name") {
        model_.name = s.Text("skin name");
        s.End();
    } else if (k == "color") {
        ParseColor(s);
    } else if (k == "font") {
        ParseFont(s);
    } else if (k == "section") {
        ParseSection(s);
    } else if (k == "image") {
        ParseImage(s);
    } else if (k == "form") {
        ParseForm(s);
    } else if (k == "dialog") {
        ParseDialog(s);
    } else if (k == "}") {
        SkinFail(s.Line(), "'}' without an open block");
    } else {
        SkinFail(s.Line(), "unknown statement " + SkinQuote(k));
    }
}

TSkinColor Parser::Color(SkinStatement& s, const char* what) {
    std::string word = s.Word(what);
    if (word.size() == 7 && word[0] == '#' &&
        std::all_of(word.begin() + 1, word.end(), [](unsigned char c) { return isxdigit(c) != 0; })) {
        auto v = std::stoul(word.substr(1), nullptr, 16);
        return SkinColorFromRGB(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
    }
    auto it = colors_.find(word);
    if (it == colors_.end())
        SkinFail(s.Line(), std::string("bad ") + what + " " + SkinQuote(word) + ": #RRGGBB or a colour name");
    return it->second;
}

void Parser::ParseColor(SkinStatement& s) {
    std::wstring name = s.Name("colour name");
    TSkinColor c = Color(s, "colour");
    s.End();
    if (colors_.size() >= size_t(SkinLimits::Colors)) SkinFail(s.Line(), "too many colours");
    colors_[WideToUtf8(name)] = c;
}

void Parser::ParseFont(SkinStatement& s) {
    SkinFont f;
    f.line = s.Line();
    f.name = s.Name("font name");
    f.face = s.Text("font face");
    if (f.face.empty() || f.face.size() > 31) SkinFail(s.Line(), "font face must have 1 to 31 characters");
    f.points = s.Int("font size in points", 1, 72);
    while (!s.AtEnd()) {
        std::string w = s.Word("font style");
        if (w == "bold")
            f.bold = true;
        else if (w == "italic")
            f.italic = true;
        else
            SkinFail(s.Line(), "unknown font style " + SkinQuote(w) + ": bold or italic");
    }
    if (fonts_.count(f.name)) SkinFail(s.Line(), "font " + WideToUtf8(f.name) + " is defined twice");
    if (model_.fonts.size() >= size_t(SkinLimits::Fonts)) SkinFail(s.Line(), "too many fonts");
    fonts_[f.name] = int(model_.fonts.size());
    model_.fonts.push_back(std::move(f));
}

int Parser::FontRef(SkinStatement& s) {
    std::wstring name = s.Name("font name");
    auto it = fonts_.find(name);
    if (it == fonts_.end())
        SkinFail(s.Line(), "unknown font " + SkinQuote(WideToUtf8(name)) + " (define it before use)");
    return it->second;
}

SkinRect Parser::Rect(SkinStatement& s) {
    SkinRect r;
    r.x = s.Int("left", -SkinLimits::Coordinate, SkinLimits::Coordinate);
    r.y = s.Int("top", -SkinLimits::Coordinate, SkinLimits::Coordinate);
    r.w = s.Int("width", 0, SkinLimits::Coordinate);
    r.h = s.Int("height", 0, SkinLimits::Coordinate);
    return r;
}

void Parser::ParseSection(SkinStatement& s) {
    SkinSection sec;
    sec.line = s.Line();
    sec.name = s.Name("section name");
    std::string kind = s.Word("section kind (image or fill)");
    if (kind == "image") {
        sec.isImage = true;
        sec.imageName = s.Name("image name");
        sec.source = Rect(s);
        while (!s.AtEnd()) {
            std::string w = s.Word("section option");
            if (w == "grid") {
                for (int& g : sec.grid) g = s.Int("grid margin", 0, SkinLimits::ImageSide);
            } else if (w == "tile") {
                sec.tile = true;
            } else {
                SkinFail(s.Line(), "unknown section option " + SkinQuote(w) + ": grid or tile");
            }
        }
    } else if (kind == "fill") {
        std::string fill = s.Word("fill kind");
        if (fill == "solid") {
            sec.fill = SkinFill::Solid;
            sec.color1 = sec.color2 = Color(s, "fill colour");
        } else if (fill == "vgrad" || fill == "hgrad") {
            sec.fill = fill == "vgrad" ? SkinFill::VGrad : SkinFill::HGrad;
            sec.color1 = Color(s, "first gradient colour");
            sec.color2 = Color(s, "second gradient colour");
        } else if (fill != "none") {
            SkinFail(s.Line(), "unknown fill " + SkinQuote(fill) + ": solid, vgrad, hgrad or none");
        }
        while (!s.AtEnd()) {
            std::string w = s.Word("fill option");
            if (w == "radius") {
                sec.radius = s.Int("radius", 0, 1024);
            } else if (w == "border") {
                sec.borderWidth = s.Int("border width", 0, 64);
                sec.borderColor = Color(s, "border colour");
            } else {
                SkinFail(s.Line(), "unknown fill option " + SkinQuote(w) + ": radius or border");
            }
        }
    } else {
        SkinFail(s.Line(), "unknown section kind " + SkinQuote(kind) + ": image or fill");
    }
    if (model_.sectionIndex.count(sec.name))
        SkinFail(s.Line(), "section " + WideToUtf8(sec.name) + " is defined twice");
    if (model_.sections.size() >= size_t(SkinLimits::Sections)) SkinFail(s.Line(), "too many sections");
    model_.sectionIndex[sec.name] = int(model_.sections.size());
    model_.sections.push_back(std::move(sec));
}

void Parser::ParseImage(SkinStatement& s) {
    int line = s.Line();
    std::wstring name = s.Name("image name");
    std::string variant = s.Word("image variant (1x or 2x)");
    if (variant != "1x" && variant != "2x")
        SkinFail(line, "unknown image variant " + SkinQuote(variant) + ": 1x or 2x");
    int w = s.Int("image width", 1, SkinLimits::ImageSide);
    int h = s.Int("image height", 1, SkinLimits::ImageSide);
    if (s.Word("'crc32'") != "crc32") SkinFail(line, "'crc32' expected after the image size");
    std::string crcText = s.Word("CRC-32 in hex");
    if (crcText.empty() || crcText.size() > 8 ||
        !std::all_of(crcText.begin(), crcText.end(), [](unsigned char c) { return isxdigit(c) != 0; }))
        SkinFail(line, "bad CRC-32 " + SkinQuote(crcText) + ": up to 8 hex digits");
    uint32_t crc = uint32_t(std::stoul(crcText, nullptr, 16));
    s.End();

    imagePixels_ += int64_t(w) * h;
    if (imagePixels_ > SkinLimits::ImagePixels) SkinFail(line, "the images together exceed 16 million pixels");
    // The base64 lines follow up to a line holding "end".
    std::string encoded, raw;
    for (;;) {
        if (!lexer_.NextRawLine(raw)) SkinFail(line, "image data is not closed: 'end' missing");
        size_t a = raw.find_first_not_of(" \t"), b = raw.find_last_not_of(" \t");
        std::string t = a == std::string::npos ? "" : raw.substr(a, b - a + 1);
        if (t == "end") break;
        if (!IsBase64Text(t)) SkinFail(lexer_.Line(), "image data must be base64 text");
        encoded += t;
    }
    std::vector<uint8_t> png;
    if (!DecodeBase64(encoded, png)) SkinFail(line, "image data is not valid base64");
    if (Crc32(png.data(), png.size()) != crc) SkinFail(line, "image data is damaged (CRC-32 does not match)");
    SkinBitmap bitmap;
    std::string error;
    if (!DecodePng(png, w, h, bitmap, error)) SkinFail(line, "image " + WideToUtf8(name) + ": " + error);

    auto it =
        std::find_if(model_.images.begin(), model_.images.end(), [&](const SkinImage& i) { return i.name == name; });
    if (it == model_.images.end()) {
        if (model_.images.size() >= size_t(SkinLimits::Images)) SkinFail(line, "too many images");
        model_.images.push_back({name, line, {}, {}});
        it = model_.images.end() - 1;
    }
    SkinBitmap& slot = variant == "1x" ? it->x1 : it->x2;
    if (slot.width) SkinFail(line, "image " + WideToUtf8(name) + " " + variant + " is defined twice");
    slot = std::move(bitmap);
}

void Parser::ParseForm(SkinStatement& s) {
    SkinForm form;
    form.line = s.Line();
    form.name = s.Name("form name");
    s.End();
    if (model_.FindForm(form.name)) SkinFail(s.Line(), "form " + WideToUtf8(form.name) + " is defined twice");
    if (model_.forms.size() >= size_t(SkinLimits::Forms)) SkinFail(s.Line(), "too many forms");
    elementLines_.clear();
    SkinElement root;
    root.kind = TSkinElementKind::Root;
    root.name = form.name;
    root.line = form.line;
    form.elements.push_back(root);
    ++elementCount_;
    bool sized = false;
    Block(s, [&](SkinStatement& p) {
        const std::string& k = p.Keyword();
        SkinElement& r = form.elements[0];
        if (k == "size") {
            form.width = p.Int("form width", 1, SkinLimits::FormSide);
            form.height = p.Int("form height", 1, SkinLimits::FormSide);
            if (int64_t(form.width) * form.height > SkinLimits::FormArea)
                SkinFail(p.Line(), "the form is too large: at most 1920 x 1200 design pixels in area");
            r.rect = {0, 0, form.width, form.height};
            sized = true;
        } else if (k == "color") {
            form.color = Color(p, "form colour");
            r.hasColor = true;
            r.color = form.color;
        } else if (k == "background") {
            r.section = p.Name("section name");
        } else if (k == "font") {
            r.font = FontRef(p);
        } else if (k == "frame") {
            std::string w = p.Word("frame (system or none)");
            if (w != "system" && w != "none") SkinFail(p.Line(), "unknown frame " + SkinQuote(w) + ": system or none");
            form.ownFrame = w == "none";
        } else if (k == "corners") {
            form.corners = p.Int("corner radius", 0, 256);
        } else if (k == "focus") {
            form.focus = Color(p, "focus colour");
        } else if (k == "rect" || !ParseElementProperty(form, r, p, 1, 0)) {
            SkinFail(p.Line(), "unknown form property " + SkinQuote(k));
        }
        if (!p.OpensBlock()) p.End();
    });
    if (!sized) SkinFail(form.line, "form " + WideToUtf8(form.name) + " has no 'size'");
    CheckPaintBudget(form);
    model_.forms.push_back(std::move(form));
}

bool Parser::ParseElementProperty(SkinForm& form, SkinElement& e, SkinStatement& s, int depth, int self) {
    static const std::map<std::string, TSkinElementKind> kinds = {{"static", TSkinElementKind::Static},
                                                                  {"button", TSkinElementKind::Button},
                                                                  {"scrollbar", TSkinElementKind::ScrollBar},
                                                                  {"group", TSkinElementKind::Group},
                                                                  {"image", TSkinElementKind::Image}};
    const std::string& k = s.Keyword();
    if (auto kind = kinds.find(k); kind != kinds.end() && s.OpensBlock()) {
        if (e.kind != TSkinElementKind::Root && e.kind != TSkinElementKind::Group)
            SkinFail(s.Line(), "only a form or a group holds elements");
        ParseElement(form, self, kind->second, s, depth + 1);
        return true;
    }
    if (k == "animation") {
        ParseAnimation(e, s);
        return true;
    }
    if (k == "rect") {
        e.rect = Rect(s);
    } else if (k == "hidden") {
        e.hidden = true;
    } else if (k == "drag") {
        e.drag = true;
    } else {
        return false;
    }
    return true;
}

SkinButtonState Parser::ButtonLook(SkinStatement& s) {
    SkinButtonState state;
    state.Section.Name = s.Name("section name");
    state.Color = Color(s, "text colour");
    return state;
}

void Parser::ParseElement(SkinForm& form, int parent, TSkinElementKind kind, SkinStatement& head, int depth) {
    if (depth > SkinLimits::Depth) SkinFail(head.Line(), "elements are nested too deeply");
    if (++elementCount_ > SkinLimits::Elements) SkinFail(head.Line(), "too many elements");
    SkinElement e;
    e.kind = kind;
    e.line = head.Line();
    e.parent = parent;
    if (head.Peek() != "{") e.name = head.Name("element name");
    head.End();
    if (!e.name.empty()) {
        auto [other, added] = elementLines_.emplace(e.name, e.line);
        if (!added)
            SkinFail(head.Line(), "element " + WideToUtf8(e.name) + " is defined twice in form " +
                                      WideToUtf8(form.name) + " (line " + std::to_string(other->second) + ")");
    }
    if (kind == TSkinElementKind::Button) e.align = SkinAlign::Center;
    int self = int(form.elements.size());
    form.elements.push_back(e);
    form.elements[parent].children.push_back(self);
    Block(head, [&](SkinStatement& s) {
        // `form.elements` may grow while children are read: index, never hold a reference.
        const std::string& k = s.Keyword();
        if (ParseElementProperty(form, form.elements[self], s, depth, self)) {
            if (!s.OpensBlock()) s.End();
            return;
        }
        SkinElement& el = form.elements[self];
        bool textual = kind == TSkinElementKind::Static || kind == TSkinElementKind::Button;
        bool sectioned = kind != TSkinElementKind::Button && kind != TSkinElementKind::ScrollBar;
        if (k == "section" && sectioned) {
            el.section = s.Name("section name");
        } else if (k == "text" && kind == TSkinElementKind::Static) {
            el.text = s.Text("text");
        } else if (k == "caption" && kind == TSkinElementKind::Button) {
            el.text = s.Text("caption");
        } else if (k == "color" && kind == TSkinElementKind::Static) {
            el.color = Color(s, "text colour");
            el.hasColor = true;
        } else if (k == "font" && textual) {
            el.font = FontRef(s);
        } else if ((k == "align" || k == "valign") && textual) {
            std::string w = s.Word("alignment");
            bool h = k == "align";
            if (w == (h ? "left" : "top"))
                (h ? el.align : el.valign) = SkinAlign::Near;
            else if (w == (h ? "center" : "middle"))
                (h ? el.align : el.valign) = SkinAlign::Center;
            else if (w == (h ? "right" : "bottom"))
                (h ? el.align : el.valign) = SkinAlign::Far;
            else
                SkinFail(s.Line(), "unknown alignment " + SkinQuote(w));
        } else if (k == "wrap" && kind == TSkinElementKind::Static) {
            el.wrap = true;
        } else if ((k == "normal" || k == "hot" || k == "pushed") && kind == TSkinElementKind::Button) {
            el.states[k == "normal" ? sbNormal : k == "hot" ? sbHot : sbPushed] = ButtonLook(s);
        } else if (kind == TSkinElementKind::ScrollBar && (k == "horizontal" || k == "vertical")) {
            el.vertical = k == "vertical";
        } else if (kind == TSkinElementKind::ScrollBar && k == "track") {
            el.track = s.Name("section name");
        } else if (kind == TSkinElementKind::ScrollBar && k == "thumb") {
            el.thumb = s.Name("section name");
        } else if (kind == TSkinElementKind::ScrollBar && k == "arrows") {
            el.arrowPrev = s.Name("section name");
            el.arrowNext = s.Name("section name");
        } else if (kind == TSkinElementKind::ScrollBar &&
                   (k == "min" || k == "max" || k == "page" || k == "step" || k == "position")) {
            int v = s.Int(k.c_str(), -1000000000, 1000000000);
            (k == "min"    ? el.min
             : k == "max"  ? el.max
             : k == "page" ? el.page
             : k == "step" ? el.step
                           : el.position) = v;
        } else {
            SkinFail(s.Line(), "unknown property " + SkinQuote(k) + " of " + WideToUtf8(SkinKindName(kind)) +
                                   (el.name.empty() ? "" : " " + WideToUtf8(el.name)));
        }
        s.End();
    });
    SkinElement& done = form.elements[self];
    if (kind == TSkinElementKind::Button && done.states[sbNormal].Section.Name.empty())
        SkinFail(done.line, "button " + WideToUtf8(done.name) + " has no 'normal' look");
    for (int i : {sbHot, sbPushed})
        if (kind == TSkinElementKind::Button && done.states[i].Section.Name.empty())
            done.states[i] = done.states[sbNormal];
    if (kind == TSkinElementKind::ScrollBar && (done.thumb.empty() || done.track.empty()))
        SkinFail(done.line, "scroll bar " + WideToUtf8(done.name) + " needs a 'track' and a 'thumb'");
}

void Parser::ParseAnimation(SkinElement& e, SkinStatement& head) {
    SkinAnimation a;
    a.line = head.Line();
    a.name = head.Name("animation name");
    head.End();
    if (e.animations.size() >= size_t(SkinLimits::Animations)) SkinFail(a.line, "too many animations on one element");
    Block(head, [&](SkinStatement& s) {
        if (s.Keyword() != "frame") SkinFail(s.Line(), "only 'frame' lines belong in an animation");
        ParseFrame(a, s);
    });
    if (a.frames.empty()) SkinFail(a.line, "animation " + WideToUtf8(a.name) + " has no frames");
    e.animations.push_back(std::move(a));
}

void Parser::ParseFrame(SkinAnimation& a, SkinStatement& s) {
    if (a.frames.size() >= size_t(SkinLimits::Frames)) SkinFail(s.Line(), "too many frames in one animation");
    if (++frameCount_ > SkinLimits::AllFrames) SkinFail(s.Line(), "too many frames in the skin");
    SkinFrameRecord f;
    f.Duration = s.Int("frame duration in ms", 0, SkinLimits::Duration);
    while (!s.AtEnd()) {
        std::string w = s.Word("frame operation");
        if (w == "show") {
            f.Flags = (f.Flags | sfShow) & ~sfHide;
        } else if (w == "hide") {
            f.Flags = (f.Flags | sfHide) & ~sfShow;
        } else if (w == "alpha") {
            f.Alpha = s.Int("alpha", 0, 255);
            f.Flags |= sfAlpha;
        } else if (w == "offset") {
            f.OffsetX = s.Int("x offset", -SkinLimits::Coordinate, SkinLimits::Coordinate);
            f.OffsetY = s.Int("y offset", -SkinLimits::Coordinate, SkinLimits::Coordinate);
            f.Flags |= sfOffset;
        } else if (w == "section") {
            f.Section = s.Name("section name");
            f.Flags |= sfSection;
        } else if (w == "ease") {
            std::string e = s.Word("easing");
            if (e == "linear")
                f.Ease = seLinear;
            else if (e == "in")
                f.Ease = seIn;
            else if (e == "out")
                f.Ease = seOut;
            else if (e == "inout")
                f.Ease = seInOut;
            else
                SkinFail(s.Line(), "unknown easing " + SkinQuote(e) + ": linear, in, out or inout");
        } else {
            SkinFail(s.Line(),
                     "unknown frame operation " + SkinQuote(w) + ": show, hide, alpha, offset, section, ease");
        }
    }
    a.frames.push_back(std::move(f));
}

void Parser::ParseDialog(SkinStatement& s) {
    SkinDialogStyle& d = model_.dialog;
    if (d.present) SkinFail(s.Line(), "the dialog style is defined twice");
    d.present = true;
    d.line = s.Line();
    s.End();
    bool looks[sdLookCount] = {};
    Block(s, [&](SkinStatement& p) {
        const std::string& k = p.Keyword();
        if (k == "color") {
            d.color = Color(p, "background colour");
        } else if (k == "background") {
            d.background = p.Name("section name");
        } else if (k == "font") {
            d.font = FontRef(p);
        } else if (k == "text") {
            d.text = Color(p, "text colour");
        } else if (k == "focus") {
            d.focus = Color(p, "focus colour");
        } else if (k == "button") {
            static const char* names[sdLookCount] = {"normal", "hot", "pushed", "disabled", "focused", "default"};
            std::string w = p.Word("button look");
            auto it = std::find(names, names + sdLookCount, w);
            if (it == names + sdLookCount) SkinFail(p.Line(), "unknown button look " + SkinQuote(w));
            d.button[it - names] = ButtonLook(p);
            looks[it - names] = true;
        } else if (k == "edit") {
            d.editText = Color(p, "edit text colour");
            d.editBack = Color(p, "edit background colour");
            d.hasEdit = true;
            if (!p.AtEnd()) {
                d.editBorder = Color(p, "edit border colour");
                d.hasEditBorder = true;
            }
        } else if (k == "scrollbar") {
            d.scrollTrack = p.Name("track section");
            d.scrollThumb = p.Name("thumb section");
            d.scrollThumbHot = p.AtEnd() ? d.scrollThumb : p.Name("hot thumb section");
            d.hasScrollBar = true;
        } else if (k == "list") {
            d.listText = Color(p, "list text colour");
            d.listBack = Color(p, "list background colour");
            d.hasList = true;
            if (!p.AtEnd()) {
                d.listSelText = Color(p, "list selection text colour");
                d.listSelBack = Color(p, "list selection background colour");
                d.hasListSelection = true;
            }
        } else {
            SkinFail(p.Line(), "unknown dialog property " + SkinQuote(k));
        }
        p.End();
    });
    if (!looks[sdNormal]) SkinFail(d.line, "the dialog style has no 'button normal' look");
    for (int i = 1; i < sdLookCount; ++i)
        if (!looks[i]) d.button[i] = d.button[sdNormal];
}

// What painting the form costs stays bounded whatever the file says: elements lie within the
// form, cover a bounded number of pixels together, and fades nest only so deep.
void Parser::CheckPaintBudget(const SkinForm& form) {
    auto fades = [](const SkinElement& e) {
        for (const SkinAnimation& a : e.animations)
            for (const SkinFrameRecord& f : a.frames)
                if (f.Flags & sfAlpha) return true;
        return false;
    };
    std::vector<int> fadeDepth(form.elements.size(), 0);
    int64_t area = 0;
    for (size_t i = 0; i < form.elements.size(); ++i) {
        const SkinElement& e = form.elements[i];
        std::string what = WideToUtf8(SkinKindName(e.kind));
        if (!e.name.empty()) what.append(" ").append(WideToUtf8(e.name));
        fadeDepth[i] = (e.parent >= 0 ? fadeDepth[e.parent] : 0) + (fades(e) ? 1 : 0);
        if (fadeDepth[i] > SkinLimits::NestedFades)
            SkinFail(e.line, what + " fades inside " + std::to_string(fadeDepth[i] - 1) + " fading elements: at most " +
                                 std::to_string(SkinLimits::NestedFades) + " fades nest");
        if (i == 0) continue;
        const SkinRect& r = e.rect;
        if (r.x < 0 || r.y < 0 || r.x + r.w > form.width || r.y + r.h > form.height)
            SkinFail(e.line, what + " lies outside its form (" + std::to_string(form.width) + " x " +
                                 std::to_string(form.height) + ")");
        area += int64_t(r.w) * r.h;
        if (area > SkinLimits::ElementArea)
            SkinFail(e.line, "the elements of form " + WideToUtf8(form.name) +
                                 " together cover more than 8 million design pixels");
    }
}

void Parser::CheckSection(const std::wstring& name, int line, const char* what) {
    if (!name.empty() && !model_.sectionIndex.count(name))
        SkinFail(line, std::string(what) + " uses the unknown section " + SkinQuote(WideToUtf8(name)));
}

void Parser::Resolve() {
    for (SkinSection& sec : model_.sections) {
        if (!sec.isImage) continue;
        auto it = std::find_if(model_.images.begin(), model_.images.end(),
                               [&](const SkinImage& i) { return i.name == sec.imageName; });
        if (it == model_.images.end()) SkinFail(sec.line, "unknown image " + SkinQuote(WideToUtf8(sec.imageName)));
        if (!it->x1.width) SkinFail(it->line, "image " + WideToUtf8(it->name) + " has no 1x variant");
        if (it->x2.width && (it->x2.width != 2 * it->x1.width || it->x2.height != 2 * it->x1.height))
            SkinFail(it->line, "the 2x variant of image " + WideToUtf8(it->name) + " must be twice the 1x size");
        const SkinRect& r = sec.source;
        if (r.x < 0 || r.y < 0 || r.w < 1 || r.h < 1 || r.x + r.w > it->x1.width || r.y + r.h > it->x1.height)
            SkinFail(sec.line, "section " + WideToUtf8(sec.name) + " lies outside image " + WideToUtf8(it->name));
        if (sec.grid[0] + sec.grid[2] > r.w || sec.grid[1] + sec.grid[3] > r.h)
            SkinFail(sec.line, "grid margins of section " + WideToUtf8(sec.name) + " exceed its size");
        sec.image = int(it - model_.images.begin());
    }
    for (const SkinImage& img : model_.images)
        if (!img.x1.width) SkinFail(img.line, "image " + WideToUtf8(img.name) + " has no 1x variant");
    for (const SkinForm& form : model_.forms) {
        for (const SkinElement& e : form.elements) {
            CheckSection(e.section, e.line, "element");
            for (const SkinButtonState& st : e.states) CheckSection(st.Section.Name, e.line, "button");
            for (const auto* n : {&e.track, &e.thumb, &e.arrowPrev, &e.arrowNext})
                CheckSection(*n, e.line, "scroll bar");
            for (const SkinAnimation& a : e.animations)
                for (const SkinFrameRecord& f : a.frames) CheckSection(f.Section, a.line, "animation");
        }
    }
    const SkinDialogStyle& d = model_.dialog;
    CheckSection(d.background, d.line, "dialog style");
    for (const SkinButtonState& st : d.button) CheckSection(st.Section.Name, d.line, "dialog style");
    for (const std::wstring* name : {&d.scrollTrack, &d.scrollThumb, &d.scrollThumbHot})
        CheckSection(*name, d.line, "dialog style");
}

}  // namespace

const wchar_t* SkinKindName(TSkinElementKind kind) {
    switch (kind) {
        case TSkinElementKind::Root: return L"form";
        case TSkinElementKind::Static: return L"static";
        case TSkinElementKind::Button: return L"button";
        case TSkinElementKind::ScrollBar: return L"scrollbar";
        case TSkinElementKind::Group: return L"group";
        case TSkinElementKind::Image: return L"image";
    }
    return L"?";
}

SkinModel ParseSkin(const std::string& text) { return Parser(text).Parse(); }
