// Command-line tail and document tokens (commandline.h).
#include "runtime/startup/commandline.h"

std::string CommandLineTail(std::string_view commandLine) {
  size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    size_t close = commandLine.find('"', 1);
    at = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (at < commandLine.size() && commandLine[at] != ' ' && commandLine[at] != '\t') ++at;
  }
  while (at < commandLine.size() && static_cast<unsigned char>(commandLine[at]) <= 32) ++at;
  return std::string(commandLine.substr(at));
}

bool NextDocumentToken(std::string_view tail, size_t* at, std::string_view* token) {
  size_t i = *at;
  while (i < tail.size() && tail[i] == ' ') ++i;
  if (i >= tail.size()) {
    *at = i;
    return false;
  }
  if (tail[i] == '"') {
    size_t close = tail.find('"', i + 1);
    size_t end = close == std::string_view::npos ? tail.size() : close;
    *token = tail.substr(i + 1, end - i - 1);
    *at = close == std::string_view::npos ? tail.size() : close + 1;
  } else {
    size_t blank = tail.find(' ', i);
    size_t end = blank == std::string_view::npos ? tail.size() : blank;
    *token = tail.substr(i, end - i);
    *at = end;
  }
  return true;
}

std::vector<std::string> DocumentTokens(std::string_view tail) {
  std::vector<std::string> tokens;
  size_t at = 0;
  std::string_view token;
  while (NextDocumentToken(tail, &at, &token)) tokens.emplace_back(token);
  return tokens;
}

namespace {

// A tail cannot carry a double quote inside a quoted token, nor one that opens a token: the
// token would end there and the rest of the argument would become further documents. Such
// quotes are dropped so that the argument still arrives as one document.
std::string TailForm(std::string_view argument, bool* quote) {
  *quote = argument.empty() || argument.find_first_of(" \t") != std::string_view::npos;
  std::string form(argument);
  if (*quote || (!form.empty() && form[0] == '"')) std::erase(form, '"');
  return form;
}

}  // namespace

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string_view argument = argv[i] != nullptr ? argv[i] : "";
    if (i > 0) line.push_back(' ');
    bool quote = false;
    std::string form = TailForm(argument, &quote);
    if (quote) line.push_back('"');
    line.append(form);
    if (quote) line.push_back('"');
  }
  return line;
}
