#include "skin/uSkinLexer.h"

std::string SkinQuote(const std::string& text) {
    std::string quoted(1, '\'');
    quoted.append(text, 0, 80);
    quoted += '\'';
    return quoted;
}

TSkinLexer::TSkinLexer(const std::string& text) : text_(text) {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

bool TSkinLexer::NextRawLine(std::string& out) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    out.assign(text_, pos_, end - pos_);
    if (!out.empty() && out.back() == '\r') out.pop_back();
    pos_ = end + 1;
    ++line_;
    return true;
}

std::vector<SkinToken> TSkinLexer::Tokenize(const std::string& line) {
    std::vector<SkinToken> tokens;
    size_t i = 0;
    while (i < line.size()) {
        unsigned char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '#' && (tokens.empty() || i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')) {
            break;  // a comment runs to the end of the line
        } else if (c < 0x20 || c == 0x7f) {
            SkinFail(line_, "control character in line");
        } else if (c == '"') {
            SkinToken t{"", true};
            ++i;
            for (;; ++i) {
                if (i >= line.size()) SkinFail(line_, "text without its closing quote");
                char d = line[i];
                if (d == '"') break;
                if (d == '\\') {
                    if (++i >= line.size()) SkinFail(line_, "text without its closing quote");
                    d = line[i];
                    if (d == 'n')
                        d = '\n';
                    else if (d != '"' && d != '\\')
                        SkinFail(line_, "unknown escape in text (use \\\" \\\\ \\n)");
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
        if (tokens.size() > 64) SkinFail(line_, "too many words in one line");
    }
    return tokens;
}

bool TSkinLexer::NextStatement(SkinStatement*& out) {
    std::string line;
    while (NextRawLine(line)) {
        auto tokens = Tokenize(line);
        if (tokens.empty()) continue;
        current_ = SkinStatement(line_, std::move(tokens));
        out = &current_;
        return true;
    }
    return false;
}
