// The lexer of the application language. Entry point: Lex.
#include "tools/amxc/lexer.h"

#include <cctype>
#include <cstdlib>

namespace amxc {

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

namespace {

class Lexer {
 public:
  Lexer(const SourceSet& sources, int32_t file, Diagnostics& diags)
      : text_(sources.File(file).text), file_(file), diags_(diags) {}

  std::vector<Token> Run() {
    while (pos_ < text_.size()) Next();
    PushNewline(Here());
    Token end;
    end.kind = Tok::kEnd;
    end.pos = Here();
    tokens_.push_back(end);
    return std::move(tokens_);
  }

 private:
  SourcePos Here() const { return {file_, line_, col_}; }
  char Peek(size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  void Advance() {
    unsigned char c = static_cast<unsigned char>(text_[pos_++]);
    if (c == '\n') {
      ++line_;
      col_ = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++col_;
    }
  }
  void PushNewline(SourcePos at) {
    if (tokens_.empty() || tokens_.back().kind == Tok::kNewline) return;
    Token t;
    t.kind = Tok::kNewline;
    t.pos = at;
    tokens_.push_back(t);
  }

  void Next() {
    char c = Peek();
    if (c == '\n' || c == ':') {
      PushNewline(Here());
      Advance();
      return;
    }
    if (c == ' ' || c == '\t' || c == '\r') {
      Advance();
      return;
    }
    if (c == '\'') return SkipComment();
    if (c == '_' && IsContinuation()) return Continue();
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return Name();
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && std::isdigit(static_cast<unsigned char>(Peek(1)))))
      return Number();
    if (c == '&' && (Peek(1) == 'h' || Peek(1) == 'H' || Peek(1) == 'c' || Peek(1) == 'C') &&
        std::isxdigit(static_cast<unsigned char>(Peek(2))))
      return HexNumber();
    if (c == '"') return String();
    Symbol();
  }

  void SkipComment() {
    while (pos_ < text_.size() && Peek() != '\n') Advance();
  }

  // "_" at the end of a line (only blanks or a comment after it) joins the next line.
  bool IsContinuation() const {
    size_t i = pos_ + 1;
    if (i < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[i])) || text_[i] == '_'))
      return false;
    while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t' || text_[i] == '\r')) ++i;
    return i >= text_.size() || text_[i] == '\n' || text_[i] == '\'';
  }
  void Continue() {
    Advance();
    while (pos_ < text_.size() && Peek() != '\n') Advance();
    if (pos_ < text_.size()) Advance();
  }

  void Name() {
    Token t;
    t.pos = Here();
    size_t start = pos_;
    while (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '_') Advance();
    t.kind = Tok::kName;
    t.text = text_.substr(start, pos_ - start);
    t.lower = Lower(t.text);
    if (t.lower == "rem") return SkipComment();
    tokens_.push_back(std::move(t));
  }

  void Number() {
    Token t;
    t.pos = Here();
    size_t start = pos_;
    bool isDouble = false;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) Advance();
    if (Peek() == '.' && std::isdigit(static_cast<unsigned char>(Peek(1)))) {
      isDouble = true;
      Advance();
      while (std::isdigit(static_cast<unsigned char>(Peek()))) Advance();
    } else if (Peek() == '.' && !std::isalpha(static_cast<unsigned char>(Peek(1)))) {
      isDouble = true;
      Advance();
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (std::isdigit(static_cast<unsigned char>(Peek(1))) ||
         ((Peek(1) == '+' || Peek(1) == '-') && std::isdigit(static_cast<unsigned char>(Peek(2)))))) {
      isDouble = true;
      Advance();
      Advance();
      while (std::isdigit(static_cast<unsigned char>(Peek()))) Advance();
    }
    t.text = text_.substr(start, pos_ - start);
    if (isDouble) {
      t.kind = Tok::kDouble;
      t.doubleValue = std::strtod(t.text.c_str(), nullptr);
    } else {
      t.kind = Tok::kInteger;
      // 2147483648 is allowed so that -2147483648 can be written; the parser checks range.
      if (t.text.size() > 10 || std::strtoll(t.text.c_str(), nullptr, 10) > 2147483648LL) {
        diags_.Error(t.pos, "integer literal " + t.text + " is out of range");
      } else {
        t.intValue = std::strtoll(t.text.c_str(), nullptr, 10);
      }
    }
    tokens_.push_back(std::move(t));
  }

  void HexNumber() {
    Token t;
    t.pos = Here();
    bool color = Peek(1) == 'c' || Peek(1) == 'C';
    Advance();
    Advance();
    size_t start = pos_;
    while (std::isxdigit(static_cast<unsigned char>(Peek()))) Advance();
    std::string digits = text_.substr(start, pos_ - start);
    t.text = digits;
    t.kind = color ? Tok::kColor : Tok::kInteger;
    if (digits.size() > (color ? 6u : 8u)) {
      diags_.Error(t.pos, std::string(color ? "colour" : "hexadecimal") + " literal &" +
                              (color ? "c" : "h") + digits + " is out of range");
    } else {
      // &hFFFFFFFF is the Integer -1: the bits as written.
      t.intValue = static_cast<int32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    }
    tokens_.push_back(std::move(t));
  }

  void String() {
    Token t;
    t.kind = Tok::kString;
    t.pos = Here();
    Advance();
    for (;;) {
      if (pos_ >= text_.size() || Peek() == '\n') {
        diags_.Error(t.pos, "unterminated string literal");
        break;
      }
      if (Peek() == '"') {
        Advance();
        if (Peek() != '"') break;
      }
      t.text += Peek();
      Advance();
    }
    tokens_.push_back(std::move(t));
  }

  void Symbol() {
    Token t;
    t.kind = Tok::kSymbol;
    t.pos = Here();
    char c = Peek();
    char d = Peek(1);
    if ((c == '<' && (d == '>' || d == '=')) || (c == '>' && d == '=')) {
      t.text = {c, d};
      Advance();
      Advance();
    } else if (std::string("=<>+-*/\\&(),.").find(c) != std::string::npos) {
      t.text = {c};
      Advance();
    } else {
      SourcePos at = Here();
      size_t start = pos_;
      Advance();
      while (pos_ < text_.size() && (static_cast<unsigned char>(Peek()) & 0xC0) == 0x80) Advance();
      diags_.Error(at, "unexpected character '" + text_.substr(start, pos_ - start) + "'");
      return;
    }
    tokens_.push_back(std::move(t));
  }

  const std::string& text_;
  int32_t file_;
  Diagnostics& diags_;
  size_t pos_ = 0;
  int32_t line_ = 1;
  int32_t col_ = 1;
  std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Lex(const SourceSet& sources, int32_t file, Diagnostics& diags) {
  return Lexer(sources, file, diags).Run();
}

}  // namespace amxc
