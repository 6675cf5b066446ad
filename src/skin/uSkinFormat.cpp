// The .skn reader: text → SkinModel. Line-oriented: one statement per line, blocks opened by
// "{" at the end of a line and closed by a line holding "}". Every refusal names its line.
#include <algorithm>
#include <map>
#include "skin/uSkinImages.h"
#include "skin/uSkinModel.h"

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

[[noreturn]] void Fail(int line, const std::string& message) {
    std::wstring wide;
    if (!Utf8ToWide(message, wide)) wide = L"(unreadable text)";
    throw ESkinError(L"line " + std::to_wstring(line) + L": " + wide);
}

std::string Quote(const std::string& text) { return "'" + text.substr(0, 80) + "'"; }

// The words of one statement with the means to read them in order.
class Statement {
public:
    Statement(int line, std::vector<Token> tokens) : line_(line), tokens_(std::move(tokens)) {}
    int Line() const { return line_; }
    bool AtEnd() const { return next_ >= tokens_.size(); }
    const std::string& Peek() const {
        static const std::string none;
        return AtEnd() ? none : tokens_[next_].text;
    }
    const std::string& Keyword() const { return tokens_[0].text; }
    bool OpensBlock() const { return !tokens_.empty() && tokens_.back().text == "{" && !tokens_.back().quoted; }

    std::string Word(const char* what) {
        if (AtEnd()) Fail(line_, std::string("missing ") + what);
        return tokens_[next_++].text;
    }
    std::wstring Name(const char* what) {
        std::string word = Word(what);
        if (word.empty() || word.size() > size_t(SkinLimits::NameChars) || word == "{" || word == "}")
            Fail(line_, std::string("bad ") + what + " " + Quote(word));
        for (unsigned char c : word)
            if (!(isalnum(c) || c == '_' || c == '-' || c == '.'))
                Fail(line_, std::string("bad ") + what + " " + Quote(word) + ": use letters, digits, '_', '-', '.'");
        return Wide(word);
    }
    std::wstring Text(const char* what) {
        if (AtEnd() || !tokens_[next_].quoted) Fail(line_, std::string("missing ") + what + " in double quotes");
        std::wstring text = Wide(tokens_[next_++].text);
        if (text.size() > size_t(SkinLimits::TextChars)) Fail(line_, std::string(what) + " is too long");
        return text;
    }
    int Int(const char* what, int lo, int hi) {
        std::string word = Word(what);
        size_t i = word[0] == '-' ? 1 : 0;
        if (i == word.size() || word.size() - i > 9) Fail(line_, std::string("bad ") + what + " " + Quote(word));
        for (size_t k = i; k < word.size(); ++k)
            if (word[k] < '0' || word[k] > '9') Fail(line_, std::string("bad ") + what + " " + Quote(word));
        long value = std::stol(word);
        if (value < lo || value > hi)
            Fail(line_,
                 std::string(what) + " " + word + " is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
        return int(value);
    }
    void End() {
        if (!AtEnd() && !(OpensBlock() && next_ + 1 == tokens_.size()))
            Fail(line_, "unexpected " + Quote(tokens_[next_].text));
    }
    std::wstring Wide(const std::string& text) const {
        std::wstring out;
        if (!Utf8ToWide(text, out)) Fail(line_, "text is not valid UTF-8");
        return out;
    }

private:
    int line_;
    std::vector<Token> tokens_;
    size_t next_ = 1;
};

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}
    SkinModel Parse();

private:
    bool NextRawLine(std::string& out);
    bool NextStatement(Statement*& out);
    std::vector<Token> Tokenize(const std::string& line);

    void ParseTopLevel(Statement& s);
    void ParseColor(Statement& s);
    void ParseFont(Statement& s);
    void ParseSection(Statement& s);
    void ParseImage(Statement& s);
    void ParseForm(Statement& s);
    void ParseDialog(Statement& s);
    void ParseElement(SkinForm& form, int parent, TSkinElementKind kind, Statement& head, int depth);
    bool ParseElementProperty(SkinForm& form, SkinElement& e, Statement& s, int depth, int self);
    void ParseAnimation(SkinElement& e, Statement& head);
    void ParseFrame(SkinAnimation& a, Statement& s);
    TSkinColor Color(Statement& s, const char* what);
    int FontRef(Statement& s);
    SkinRect Rect(Statement& s);
    SkinButtonState ButtonLook(Statement& s);
    // Reads the statements of a block until its "}"; each goes to `body`.
    template <typename Body>
    void Block(Statement& head, Body body);
    void Resolve();
    void CheckSection(const std::wstring& name, int line, const char* what);

    const std::string& text_;
    size_t pos_ = 0;
    int lineNo_ = 0;
    Statement current_{0, {}};
    SkinModel model_;
    std::map<std::string, TSkinColor> colors_;
    std::map<std::wstring, int> fonts_;
    std::map<std::wstring, int> elementLines_;                // names of the form being read
    std::vector<std::pair<int, std::string>> imageVariants_;  // line, "name@1x" seen
    int elementCount_ = 0;
    int frameCount_ = 0;
    int64_t imagePixels_ = 0;
};

bool Parser::NextRawLine(std::string& out) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    out.assign(text_, pos_, end - pos_);
    if (!out.empty() && out.back() == '\r') out.pop_back();
    pos_ = end + 1;
    ++lineNo_;
    return true;
}

std::vector<Token> Parser::Tokenize(const std::string& line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        unsigned char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '#' && (tokens.empty() || i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')) {
            break;  // a comment runs to the end of the line
        } else if (c < 0x20 || c == 0x7f) {
            Fail(lineNo_, "control character in line");
        } else if (c == '"') {
            Token t{"", true};
            ++i;
            for (;; ++i) {
                if (i >= line.size()) Fail(lineNo_, "text without its closing quote");
                char d = line[i];
                if (d == '"') break;
                if (d == '\\') {
                    if (++i >= line.size()) Fail(lineNo_, "text without its closing quote");
                    d = line[i];
                    if (d == 'n')
                        d = '\n';
                    else if (d != '"' && d != '\\')
                        Fail(lineNo_, "unknown escape in text (use \\\" \\\\ \\n)");
                }
                t.text += d;
            }
            ++i;
            tokens.push_back(std::move(t));
        } else if (c == '{' || c == '}') {
            tokens.push_back({std::string(1, char(c)), false});
            ++i;
        } else {
            size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '{' && line[i] != '}' &&
                   line[i] != '"')
                ++i;
            tokens.push_back({line.substr(start, i - start), false});
        }
        if (tokens.size() > 64) Fail(lineNo_, "too many words in one line");
    }
    return tokens;
}

bool Parser::NextStatement(Statement*& out) {
    std::string line;
    while (NextRawLine(line)) {
        auto tokens = Tokenize(line);
        if (tokens.empty()) continue;
        current_ = Statement(lineNo_, std::move(tokens));
        out = &current_;
        return true;
    }
    return false;
}

template <typename Body>
void Parser::Block(Statement& head, Body body) {
    if (!head.OpensBlock()) Fail(head.Line(), "'{' expected at the end of the line");
    int open = head.Line();
    Statement* s = nullptr;
    while (NextStatement(s)) {
        if (s->Keyword() == "}") {
            s->End();
            return;
        }
        body(*s);
    }
    Fail(open, "block is not closed: '}' missing");
}

SkinModel Parser::Parse() {
    if (text_.size() > SkinLimits::FileBytes) Fail(1, "the file is larger than 16 MB");
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
    Statement* s = nullptr;
    if (!NextStatement(s) || s->Keyword() != "skn")
        Fail(lineNo_ ? lineNo_ : 1, "not a skin file: it must begin with 'skn 1'");
    if (s->Int("format version", 1, 1000) != 1) Fail(s->Line(), "this is a newer skin format: only version 1 is known");
    s->End();
    while (NextStatement(s)) ParseTopLevel(*s);
    Resolve();
    return std::move(model_);
}

void Parser::ParseTopLevel(Statement& s) {
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
        Fail(s.Line(), "'}' without an open block");
    } else {
        Fail(s.Line(), "unknown statement " + Quote(k));
    }
}

TSkinColor Parser::Color(Statement& s, const char* what) {
    std::string word = s.Word(what);
    if (word.size() == 7 && word[0] == '#' &&
        std::all_of(word.begin() + 1, word.end(), [](unsigned char c) { return isxdigit(c) != 0; })) {
        auto v = std::stoul(word.substr(1), nullptr, 16);
        return SkinColorFromRGB(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v));
    }
    auto it = colors_.find(word);
    if (it == colors_.end())
        Fail(s.Line(), std::string("bad ") + what + " " + Quote(word) + ": #RRGGBB or a colour name");
    return it->second;
}

void Parser::ParseColor(Statement& s) {
    std::wstring name = s.Name("colour name");
    TSkinColor c = Color(s, "colour");
    s.End();
    if (colors_.size() >= size_t(SkinLimits::Colors)) Fail(s.Line(), "too many colours");
    colors_[WideToUtf8(name)] = c;
}

void Parser::ParseFont(Statement& s) {
    SkinFont f;
    f.line = s.Line();
    f.name = s.Name("font name");
    f.face = s.Text("font face");
    if (f.face.empty() || f.face.size() > 31) Fail(s.Line(), "font face must have 1 to 31 characters");
    f.points = s.Int("font size in points", 1, 72);
    while (!s.AtEnd()) {
        std::string w = s.Word("font style");
        if (w == "bold")
            f.bold = true;
        else if (w == "italic")
            f.italic = true;
        else
            Fail(s.Line(), "unknown font style " + Quote(w) + ": bold or italic");
    }
    if (fonts_.count(f.name)) Fail(s.Line(), "font " + WideToUtf8(f.name) + " is defined twice");
    if (model_.fonts.size() >= size_t(SkinLimits::Fonts)) Fail(s.Line(), "too many fonts");
    fonts_[f.name] = int(model_.fonts.size());
    model_.fonts.push_back(std::move(f));
}

int Parser::FontRef(Statement& s) {
    std::wstring name = s.Name("font name");
    auto it = fonts_.find(name);
    if (it == fonts_.end()) Fail(s.Line(), "unknown font " + Quote(WideToUtf8(name)) + " (define it before use)");
    return it->second;
}

SkinRect Parser::Rect(Statement& s) {
    SkinRect r;
    r.x = s.Int("left", -SkinLimits::Coordinate, SkinLimits::Coordinate);
    r.y = s.Int("top", -SkinLimits::Coordinate, SkinLimits::Coordinate);
    r.w = s.Int("width", 0, SkinLimits::Coordinate);
    r.h = s.Int("height", 0, SkinLimits::Coordinate);
    return r;
}

void Parser::ParseSection(Statement& s) {
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
                Fail(s.Line(), "unknown section option " + Quote(w) + ": grid or tile");
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
            Fail(s.Line(), "unknown fill " + Quote(fill) + ": solid, vgrad, hgrad or none");
        }
        while (!s.AtEnd()) {
            std::string w = s.Word("fill option");
            if (w == "radius") {
                sec.radius = s.Int("radius", 0, 1024);
            } else if (w == "border") {
                sec.borderWidth = s.Int("border width", 0, 64);
                sec.borderColor = Color(s, "border colour");
            } else {
                Fail(s.Line(), "unknown fill option " + Quote(w) + ": radius or border");
            }
        }
    } else {
        Fail(s.Line(), "unknown section kind " + Quote(kind) + ": image or fill");
    }
    if (model_.sectionIndex.count(sec.name)) Fail(s.Line(), "section " + WideToUtf8(sec.name) + " is defined twice");
    if (model_.sections.size() >= size_t(SkinLimits::Sections)) Fail(s.Line(), "too many sections");
    model_.sectionIndex[sec.name] = int(model_.sections.size());
    model_.sections.push_back(std::move(sec));
}

void Parser::ParseImage(Statement& s) {
    int line = s.Line();
    std::wstring name = s.Name("image name");
    std::string variant = s.Word("image variant (1x or 2x)");
    if (variant != "1x" && variant != "2x") Fail(line, "unknown image variant " + Quote(variant) + ": 1x or 2x");
    int w = s.Int("image width", 1, SkinLimits::ImageSide);
    int h = s.Int("image height", 1, SkinLimits::ImageSide);
    if (s.Word("'crc32'") != "crc32") Fail(line, "'crc32' expected after the image size");
    std::string crcText = s.Word("CRC-32 in hex");
    if (crcText.empty() || crcText.size() > 8 ||
        !std::all_of(crcText.begin(), crcText.end(), [](unsigned char c) { return isxdigit(c) != 0; }))
        Fail(line, "bad CRC-32 " + Quote(crcText) + ": up to 8 hex digits");
    uint32_t crc = uint32_t(std::stoul(crcText, nullptr, 16));
    s.End();

    imagePixels_ += int64_t(w) * h;
    if (imagePixels_ > SkinLimits::ImagePixels) Fail(line, "the images together exceed 16 million pixels");
    // The base64 lines follow up to a line holding "end".
    std::string encoded, raw;
    for (;;) {
        if (!NextRawLine(raw)) Fail(line, "image data is not closed: 'end' missing");
        size_t a = raw.find_first_not_of(" \t"), b = raw.find_last_not_of(" \t");
        std::string t = a == std::string::npos ? "" : raw.substr(a, b - a + 1);
        if (t == "end") break;
        if (!IsBase64Text(t)) Fail(lineNo_, "image data must be base64 text");
        encoded += t;
    }
    std::vector<uint8_t> png;
    if (!DecodeBase64(encoded, png)) Fail(line, "image data is not valid base64");
    if (Crc32(png.data(), png.size()) != crc) Fail(line, "image data is damaged (CRC-32 does not match)");
    SkinBitmap bitmap;
    std::string error;
    if (!DecodePng(png, w, h, bitmap, error)) Fail(line, "image " + WideToUtf8(name) + ": " + error);

    auto it =
        std::find_if(model_.images.begin(), model_.images.end(), [&](const SkinImage& i) { return i.name == name; });
    if (it == model_.images.end()) {
        if (model_.images.size() >= size_t(SkinLimits::Images)) Fail(line, "too many images");
        model_.images.push_back({name, line, {}, {}});
        it = model_.images.end() - 1;
    }
    SkinBitmap& slot = variant == "1x" ? it->x1 : it->x2;
    if (slot.width) Fail(line, "image " + WideToUtf8(name) + " " + variant + " is defined twice");
    slot = std::move(bitmap);
}

void Parser::ParseForm(Statement& s) {
    SkinForm form;
    form.line = s.Line();
    form.name = s.Name("form name");
    s.End();
    if (model_.FindForm(form.name)) Fail(s.Line(), "form " + WideToUtf8(form.name) + " is defined twice");
    if (model_.forms.size() >= size_t(SkinLimits::Forms)) Fail(s.Line(), "too many forms");
    elementLines_.clear();
    SkinElement root;
    root.kind = TSkinElementKind::Root;
    root.name = form.name;
    root.line = form.line;
    form.elements.push_back(root);
    ++elementCount_;
    bool sized = false;
    Block(s, [&](Statement& p) {
        const std::string& k = p.Keyword();
        SkinElement& r = form.elements[0];
        if (k == "size") {
            form.width = p.Int("form width", 1, SkinLimits::FormSide);
            form.height = p.Int("form height", 1, SkinLimits::FormSide);
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
            if (w != "system" && w != "none") Fail(p.Line(), "unknown frame " + Quote(w) + ": system or none");
            form.ownFrame = w == "none";
        } else if (k == "corners") {
            form.corners = p.Int("corner radius", 0, 256);
        } else if (k == "focus") {
            form.focus = Color(p, "focus colour");
        } else if (k == "rect" || !ParseElementProperty(form, r, p, 1, 0)) {
            Fail(p.Line(), "unknown form property " + Quote(k));
        }
        if (!p.OpensBlock()) p.End();
    });
    if (!sized) Fail(form.line, "form " + WideToUtf8(form.name) + " has no 'size'");
    model_.forms.push_back(std::move(form));
}

bool Parser::ParseElementProperty(SkinForm& form, SkinElement& e, Statement& s, int depth, int self) {
    static const std::map<std::string, TSkinElementKind> kinds = {{"static", TSkinElementKind::Static},
                                                                  {"button", TSkinElementKind::Button},
                                                                  {"scrollbar", TSkinElementKind::ScrollBar},
                                                                  {"group", TSkinElementKind::Group},
                                                                  {"image", TSkinElementKind::Image}};
    const std::string& k = s.Keyword();
    if (auto kind = kinds.find(k); kind != kinds.end() && s.OpensBlock()) {
        if (e.kind != TSkinElementKind::Root && e.kind != TSkinElementKind::Group)
            Fail(s.Line(), "only a form or a group holds elements");
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

SkinButtonState Parser::ButtonLook(Statement& s) {
    SkinButtonState state;
    state.Section.Name = s.Name("section name");
    state.Color = Color(s, "text colour");
    return state;
}

void Parser::ParseElement(SkinForm& form, int parent, TSkinElementKind kind, Statement& head, int depth) {
    if (depth > SkinLimits::Depth) Fail(head.Line(), "elements are nested too deeply");
    if (++elementCount_ > SkinLimits::Elements) Fail(head.Line(), "too many elements");
    SkinElement e;
    e.kind = kind;
    e.line = head.Line();
    e.parent = parent;
    if (head.Peek() != "{") e.name = head.Name("element name");
    head.End();
    if (!e.name.empty()) {
        auto [other, added] = elementLines_.emplace(e.name, e.line);
        if (!added)
            Fail(head.Line(), "element " + WideToUtf8(e.name) + " is defined twice in form " + WideToUtf8(form.name) +
                                  " (line " + std::to_string(other->second) + ")");
    }
    if (kind == TSkinElementKind::ScrollBar) e.page = 10;
    int self = int(form.elements.size());
    form.elements.push_back(e);
    form.elements[parent].children.push_back(self);
    Block(head, [&](Statement& s) {
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
                Fail(s.Line(), "unknown alignment " + Quote(w));
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
            Fail(s.Line(), "unknown property " + Quote(k) + " of " + WideToUtf8(SkinKindName(kind)) +
                               (el.name.empty() ? "" : " " + WideToUtf8(el.name)));
        }
        s.End();
    });
    SkinElement& done = form.elements[self];
    if (kind == TSkinElementKind::Button && done.states[sbNormal].Section.Name.empty())
        Fail(done.line, "button " + WideToUtf8(done.name) + " has no 'normal' look");
    for (int i : {sbHot, sbPushed})
        if (kind == TSkinElementKind::Button && done.states[i].Section.Name.empty())
            done.states[i] = done.states[sbNormal];
    if (kind == TSkinElementKind::ScrollBar && (done.thumb.empty() || done.track.empty()))
        Fail(done.line, "scroll bar " + WideToUtf8(done.name) + " needs a 'track' and a 'thumb'");
}

void Parser::ParseAnimation(SkinElement& e, Statement& head) {
    SkinAnimation a;
    a.line = head.Line();
    a.name = head.Name("animation name");
    head.End();
    if (e.animations.size() >= size_t(SkinLimits::Animations)) Fail(a.line, "too many animations on one element");
    Block(head, [&](Statement& s) {
        if (s.Keyword() != "frame") Fail(s.Line(), "only 'frame' lines belong in an animation");
        ParseFrame(a, s);
    });
    if (a.frames.empty()) Fail(a.line, "animation " + WideToUtf8(a.name) + " has no frames");
    e.animations.push_back(std::move(a));
}

void Parser::ParseFrame(SkinAnimation& a, Statement& s) {
    if (a.frames.size() >= size_t(SkinLimits::Frames)) Fail(s.Line(), "too many frames in one animation");
    if (++frameCount_ > SkinLimits::AllFrames) Fail(s.Line(), "too many frames in the skin");
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
                Fail(s.Line(), "unknown easing " + Quote(e) + ": linear, in, out or inout");
        } else {
            Fail(s.Line(), "unknown frame operation " + Quote(w) + ": show, hide, alpha, offset, section, ease");
        }
    }
    a.frames.push_back(std::move(f));
}

void Parser::ParseDialog(Statement& s) {
    SkinDialogStyle& d = model_.dialog;
    if (d.present) Fail(s.Line(), "the dialog style is defined twice");
    d.present = true;
    d.line = s.Line();
    s.End();
    bool looks[sdLookCount] = {};
    Block(s, [&](Statement& p) {
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
            static const char* names[sdLookCount] = {"normal", "hot", "pushed", "disabled", "focused"};
            std::string w = p.Word("button look");
            auto it = std::find(names, names + sdLookCount, w);
            if (it == names + sdLookCount) Fail(p.Line(), "unknown button look " + Quote(w));
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
        } else if (k == "list") {
            d.listText = Color(p, "list text colour");
            d.listBack = Color(p, "list background colour");
            d.hasList = true;
        } else {
            Fail(p.Line(), "unknown dialog property " + Quote(k));
        }
        p.End();
    });
    if (!looks[sdNormal]) Fail(d.line, "the dialog style has no 'button normal' look");
    for (int i = 1; i < sdLookCount; ++i)
        if (!looks[i]) d.button[i] = d.button[sdNormal];
}

void Parser::CheckSection(const std::wstring& name, int line, const char* what) {
    if (!name.empty() && !model_.sectionIndex.count(name))
        Fail(line, std::string(what) + " uses the unknown section " + Quote(WideToUtf8(name)));
}

void Parser::Resolve() {
    for (SkinSection& sec : model_.sections) {
        if (!sec.isImage) continue;
        auto it = std::find_if(model_.images.begin(), model_.images.end(),
                               [&](const SkinImage& i) { return i.name == sec.imageName; });
        if (it == model_.images.end()) Fail(sec.line, "unknown image " + Quote(WideToUtf8(sec.imageName)));
        if (!it->x1.width) Fail(it->line, "image " + WideToUtf8(it->name) + " has no 1x variant");
        if (it->x2.width && (it->x2.width != 2 * it->x1.width || it->x2.height != 2 * it->x1.height))
            Fail(it->line, "the 2x variant of image " + WideToUtf8(it->name) + " must be twice the 1x size");
        const SkinRect& r = sec.source;
        if (r.x < 0 || r.y < 0 || r.w < 1 || r.h < 1 || r.x + r.w > it->x1.width || r.y + r.h > it->x1.height)
            Fail(sec.line, "section " + WideToUtf8(sec.name) + " lies outside image " + WideToUtf8(it->name));
        if (sec.grid[0] + sec.grid[2] > r.w || sec.grid[1] + sec.grid[3] > r.h)
            Fail(sec.line, "grid margins of section " + WideToUtf8(sec.name) + " exceed its size");
        sec.image = int(it - model_.images.begin());
    }
    for (const SkinImage& img : model_.images)
        if (!img.x1.width) Fail(img.line, "image " + WideToUtf8(img.name) + " has no 1x variant");
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
