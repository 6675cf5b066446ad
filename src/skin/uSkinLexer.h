// The words of a .skn file: lines, statements of words and quoted texts, and the errors
// that name their line. No Windows headers.
#pragma once
#include <cctype>
#include <string>
#include <vector>
#include "skin/uSkinModel.h"

struct SkinToken {
    std::string text;
    bool quoted = false;
};

[[noreturn]] inline void SkinFail(int line, const std::string& message) {
    std::wstring wide;
    if (!Utf8ToWide(message, wide)) wide = L"(unreadable text)";
    throw ESkinError(L"line " + std::to_wstring(line) + L": " + wide);
}

// The word in quotes, for messages (long words are cut).
std::string SkinQuote(const std::string& text);

// The words of one statement with the means to read them in order.
class SkinStatement {
public:
    SkinStatement(int line, std::vector<SkinToken> tokens) : line_(line), tokens_(std::move(tokens)) {}
    int Line() const { return line_; }
    bool AtEnd() const { return next_ >= tokens_.size(); }
    const std::string& Peek() const {
        static const std::string none;
        return AtEnd() ? none : tokens_[next_].text;
    }
    const std::string& Keyword() const { return tokens_[0].text; }
    bool OpensBlock() const { return !tokens_.empty() && tokens_.back().text == "{" && !tokens_.back().quoted; }

    std::string Word(const char* what) {
        if (AtEnd()) SkinFail(line_, std::string("missing ") + what);
        return tokens_[next_++].text;
    }
    std::wstring Name(const char* what) {
        std::string word = Word(what);
        if (word.empty() || word.size() > size_t(SkinLimits::NameChars) || word == "{" || word == "}")
            SkinFail(line_, std::string("bad ") + what + " " + SkinQuote(word));
        for (unsigned char c : word)
            if (!(isalnum(c) || c == '_' || c == '-' || c == '.'))
                SkinFail(line_,
                         std::string("bad ") + what + " " + SkinQuote(word) + ": use letters, digits, '_', '-', '.'");
        return Wide(word);
    }
    std::wstring Text(const char* what) {
        if (AtEnd() || !tokens_[next_].quoted) SkinFail(line_, std::string("missing ") + what + " in double quotes");
        std::wstring text = Wide(tokens_[next_++].text);
        if (text.size() > size_t(SkinLimits::TextChars)) SkinFail(line_, std::string(what) + " is too long");
        return text;
    }
    int Int(const char* what, int lo, int hi) {
        std::string word = Word(what);
        size_t i = word[0] == '-' ? 1 : 0;
        if (i == word.size() || word.size() - i > 9)
            SkinFail(line_, std::string("bad ") + what + " " + SkinQuote(word));
        for (size_t k = i; k < word.size(); ++k)
            if (word[k] < '0' || word[k] > '9') SkinFail(line_, std::string("bad ") + what + " " + SkinQuote(word));
        long value = std::stol(word);
        if (value < lo || value > hi)
            SkinFail(line_, std::string(what) + " " + word + " is out of range " + std::to_string(lo) + ".." +
                                std::to_string(hi));
        return int(value);
    }
    void End() {
        if (!AtEnd() && !(OpensBlock() && next_ + 1 == tokens_.size()))
            SkinFail(line_, "unexpected " + SkinQuote(tokens_[next_].text));
    }
    std::wstring Wide(const std::string& text) const {
        std::wstring out;
        if (!Utf8ToWide(text, out)) SkinFail(line_, "text is not valid UTF-8");
        return out;
    }

private:
    int line_;
    std::vector<SkinToken> tokens_;
    size_t next_ = 1;
};

// Reads a skin's text line by line (a UTF-8 byte order mark is skipped).
class TSkinLexer {
public:
    explicit TSkinLexer(const std::string& text);
    // The next line as it is, without its line break; false at the end.
    bool NextRawLine(std::string& out);
    // The next line that holds words; false at the end. The statement lives until the next call.
    bool NextStatement(SkinStatement*& out);
    int Line() const { return line_; }

private:
    std::vector<SkinToken> Tokenize(const std::string& line);
    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 0;
    SkinStatement current_{0, {}};
};
