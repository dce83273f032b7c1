// The lexer: turns one UTF-8 source file into tokens. Names and keywords are one token kind
// (keywords are case-insensitive names the parser recognises); lines end statements, ":"
// separates them and a trailing " _" continues a line. Entry point: Lex.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/amxc/source.h"

namespace amxc {

enum class Tok : uint8_t {
  kName,     // text: as written; lower: folded for comparisons
  kInteger,  // intValue
  kColor,    // intValue (0x00RRGGBB)
  kDouble,   // doubleValue
  kString,   // text: the UTF-8 contents with "" already turned into "
  kSymbol,   // text: one of = <> < > <= >= + - * / \ & ( ) , .
  kNewline,  // end of a statement (a line end or ":")
  kEnd,
};

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;
  std::string lower;
  int64_t intValue = 0;
  double doubleValue = 0;
  SourcePos pos;
};

// Errors (an unterminated string, a stray character, an integer out of range) are reported
// to diags and the lexer carries on after them.
std::vector<Token> Lex(const SourceSet& sources, int32_t file, Diagnostics& diags);

std::string Lower(const std::string& text);

}  // namespace amxc
