// The headless user: a script of pointer moves, clicks, keys, menu choices, message-box
// answers, close requests, idle turns, screen dumps and expectations, one command a line
// (see native/README.md for the format). Entry point: ParseScript.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace native {

enum class CommandKind {
  kMove, kClick, kPress, kRelease, kRightClick, kType, kKey, kMenu, kAnswer, kClose, kIdle,
  kDump, kExpect, kEcho, kProbe
};

struct ScriptCommand {
  CommandKind kind = CommandKind::kDump;
  int line = 0;
  std::string text;                // Windows-1252: title, typed text, menu path, substring
  bool hasTitle = false;           // move "TITLE" X Y
  int x = 0;
  int y = 0;
  int count = 0;                   // idle
  int virtualKey = 0;              // key
  char character = 0;              // key: the character it types (0: none)
  uint32_t modifiers = 0;          // key: kKeyShift | kKeyControl | kKeyAlt
  int answer = 0;                  // answer: IDOK, IDCANCEL, IDYES, IDNO, ...
  std::vector<std::string> path;   // menu captions
};

struct ParsedScript {
  std::vector<ScriptCommand> commands;
  std::vector<std::string> errors;  // "NAME:LINE: message"
};

ParsedScript ParseScript(const std::string& name, const std::string& utf8Text);

// The virtual key and character of a key text such as "Ctrl+Q", "Shft+Tab", "F5";
// false when it names no key.
bool ParseKeyText(const std::string& keyText, int* virtualKey, char* character, uint32_t* modifiers);

// The name of a message-box answer ("OK", "Cancel", ...), and back (0 when unknown).
const char* AnswerName(int answer);
int AnswerFromName(const std::string& name);

}  // namespace native
