// Parsing the headless script: words and double-quoted texts (with \" \\ \n escapes), one
// command a line, '#' to the end of the line a comment (outside quotes). Every malformed
// line is reported as NAME:LINE: message. Entry point: ParseScript.
#include "native/headless/script.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

#include "native/core/state.h"
#include "native/text/cp1252.h"

namespace native {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits a line into tokens; returns an error message or "".
std::string Tokenize(const std::string& line, std::vector<Token>* out) {
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token t{"", true};
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\' && i < line.size()) {
          char e = line[i++];
          t.text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
          t.text += d;
        }
      }
      if (!closed) return "unterminated text (missing closing \")";
      out->push_back(t);
    } else {
      Token t;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        t.text += line[i++];
      }
      out->push_back(t);
    }
  }
  return "";
}

bool ParseInt(const Token& t, int* value) {
  if (t.quoted || t.text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(t.text.c_str(), &end, 10);
  if (*end != 0 || v < -1000000 || v > 1000000) return false;
  *value = static_cast<int>(v);
  return true;
}

const std::map<std::string, int>& NamedKeys() {
  static const std::map<std::string, int> keys = {
      {"Bsp", VK_BACK},       {"Tab", VK_TAB},         {"Clr", VK_CLEAR},
      {"Enter", VK_RETURN},   {"Esc", VK_ESCAPE},      {"Space", VK_SPACE},
      {"PgUp", VK_PRIOR},     {"PgDn", VK_NEXT},       {"End", VK_END},
      {"Home", VK_HOME},      {"Left", VK_LEFT},       {"Up", VK_UP},
      {"Right", VK_RIGHT},    {"Down", VK_DOWN},       {"Select", VK_SELECT},
      {"Print", VK_PRINT},    {"Execute", VK_EXECUTE}, {"Snapshot", VK_SNAPSHOT},
      {"Ins", VK_INSERT},     {"Del", VK_DELETE},      {"Help", VK_HELP}};
  return keys;
}

char CharacterOf(int vk, uint32_t modifiers) {
  if (modifiers & (kKeyControl | kKeyAlt)) return 0;
  if (vk >= 'A' && vk <= 'Z') return static_cast<char>((modifiers & kKeyShift) ? vk : vk + 32);
  if (vk >= '0' && vk <= '9') return static_cast<char>(vk);
  switch (vk) {
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return 27;
    case VK_SPACE: return ' ';
    default: return 0;
  }
}

// The key named by the part after the modifiers.
int KeyCode(const std::string& name) {
  auto it = NamedKeys().find(name);
  if (it != NamedKeys().end()) return it->second;
  if (name.size() >= 2 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1]))) {
    int n = std::atoi(name.c_str() + 1);
    if (n >= 1 && n <= 24 && name == "F" + std::to_string(n)) return VK_F1 + n - 1;
    return 0;
  }
  if (name.size() == 1) {
    auto c = static_cast<unsigned char>(name[0]);
    if (std::isalpha(c)) return std::toupper(c);
    if (std::isdigit(c)) return c;
  }
  return 0;
}

std::string Arity(const std::string& command, const char* usage) {
  return command + " " + usage;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

// Fills cmd from the tokens; returns an error message or "".
std::string ParseCommand(const std::vector<Token>& t, ScriptCommand* cmd) {
  const std::string& name = t[0].text;
  size_t args = t.size() - 1;
  auto quotedArg = [&](CommandKind kind, const char* usage) -> std::string {
    if (args != 1 || !t[1].quoted) return Arity(name, usage);
    cmd->kind = kind;
    cmd->text = Utf8ToCp1252(t[1].text);
    return "";
  };
  auto noArgs = [&](CommandKind kind) -> std::string {
    if (args != 0) return name + " takes no arguments";
    cmd->kind = kind;
    return "";
  };
  if (t[0].quoted) return "a line must start with a command, not a text";
  if (name == "move") {
    cmd->kind = CommandKind::kMove;
    if (args == 2 && ParseInt(t[1], &cmd->x) && ParseInt(t[2], &cmd->y)) return "";
    if (args == 3 && t[1].quoted && ParseInt(t[2], &cmd->x) && ParseInt(t[3], &cmd->y)) {
      cmd->hasTitle = true;
      cmd->text = Utf8ToCp1252(t[1].text);
      return "";
    }
    return Arity(name, "needs X Y or \"TITLE\" X Y (whole numbers)");
  }
  if (name == "click") return noArgs(CommandKind::kClick);
  if (name == "press") return noArgs(CommandKind::kPress);
  if (name == "release") return noArgs(CommandKind::kRelease);
  if (name == "rclick") return noArgs(CommandKind::kRightClick);
  if (name == "dump") return noArgs(CommandKind::kDump);
  if (name == "probe") return noArgs(CommandKind::kProbe);
  if (name == "type") return quotedArg(CommandKind::kType, "needs one \"TEXT\"");
  if (name == "close") return quotedArg(CommandKind::kClose, "needs one \"TITLE\"");
  if (name == "expect") return quotedArg(CommandKind::kExpect, "needs one \"SUBSTRING\"");
  if (name == "echo") return quotedArg(CommandKind::kEcho, "needs one \"TEXT\"");
  if (name == "menu") {
    std::string error = quotedArg(CommandKind::kMenu, "needs one \"Top/Item\"");
    if (!error.empty()) return error;
    cmd->path = SplitPath(cmd->text);
    if (cmd->path.size() < 2) return "menu needs a path of at least two captions: \"Top/Item\"";
    for (const std::string& part : cmd->path) {
      if (part.empty()) return "menu path \"" + t[1].text + "\" has an empty caption";
    }
    return "";
  }
  if (name == "key") {
    if (args != 1 || t[1].quoted) return Arity(name, "needs one key such as Ctrl+Q");
    cmd->kind = CommandKind::kKey;
    cmd->text = t[1].text;
    if (!ParseKeyText(t[1].text, &cmd->virtualKey, &cmd->character, &cmd->modifiers)) {
      return "unknown key '" + t[1].text + "'";
    }
    return "";
  }
  if (name == "answer") {
    if (args != 1 || t[1].quoted) return Arity(name, "needs OK, Cancel, Yes or No");
    cmd->kind = CommandKind::kAnswer;
    cmd->answer = AnswerFromName(t[1].text);
    if (!cmd->answer) return "unknown answer '" + t[1].text + "' (OK, Cancel, Yes or No)";
    return "";
  }
  if (name == "idle") {
    cmd->kind = CommandKind::kIdle;
    if (args != 1 || !ParseInt(t[1], &cmd->count) || cmd->count < 0) {
      return Arity(name, "needs a count of 0 or more");
    }
    return "";
  }
  return "unknown command '" + name + "'";
}

}  // namespace

bool ParseKeyText(const std::string& keyText, int* virtualKey, char* character,
                  uint32_t* modifiers) {
  static const std::pair<const char*, uint32_t> prefixes[] = {
      {"Ctrl+", kKeyControl}, {"Shft+", kKeyShift}, {"Shift+", kKeyShift}, {"Alt+", kKeyAlt}};
  std::string rest = keyText;
  uint32_t mods = 0;
  for (bool again = true; again;) {
    again = false;
    for (auto [prefix, bit] : prefixes) {
      size_t n = std::strlen(prefix);
      if (rest.size() > n && rest.compare(0, n, prefix) == 0) {
        mods |= bit;
        rest.erase(0, n);
        again = true;
      }
    }
  }
  int vk = KeyCode(rest);
  if (!vk) return false;
  *virtualKey = vk;
  *modifiers = mods;
  *character = CharacterOf(vk, mods);
  return true;
}

const char* AnswerName(int answer) {
  switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    default: return "?";
  }
}

int AnswerFromName(const std::string& name) {
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE}) {
    if (name == AnswerName(id)) return id;
  }
  return 0;
}

ParsedScript ParseScript(const std::string& name, const std::string& utf8Text) {
  ParsedScript result;
  size_t start = 0;
  int lineNumber = 0;
  while (start <= utf8Text.size()) {
    size_t end = utf8Text.find('\n', start);
    if (end == std::string::npos) end = utf8Text.size();
    std::string line = utf8Text.substr(start, end - start);
    ++lineNumber;
    start = end + 1;
    std::vector<Token> tokens;
    std::string error = Tokenize(line, &tokens);
    ScriptCommand cmd;
    cmd.line = lineNumber;
    if (error.empty() && tokens.empty()) continue;
    if (error.empty()) error = ParseCommand(tokens, &cmd);
    if (!error.empty()) {
      result.errors.push_back(name + ":" + std::to_string(lineNumber) + ": " + error);
      continue;
    }
    result.commands.push_back(cmd);
  }
  return result;
}

}  // namespace native
