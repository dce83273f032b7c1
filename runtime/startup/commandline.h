// The command line as start-up reads it: the tail after the program name, and the document
// tokens of that tail for "OpenDocument". Pure functions over Windows-1252 bytes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Skips the program name (a name opening with a double quote runs to the closing quote,
// otherwise to the first blank or tab) and every following byte of code 32 or less.
std::string CommandLineTail(std::string_view commandLine);

// The tokens of a tail: a token opening with a double quote runs to the next double quote
// or the end (quotes not included); any other runs to the next blank or the end; blanks
// between tokens are skipped.
std::vector<std::string> DocumentTokens(std::string_view tail);
// The same one token at a time, from *at onwards (start at 0); false when none is left.
// Keeps no state of its own, so callers may run image code between tokens.
bool NextDocumentToken(std::string_view tail, size_t* at, std::string_view* token);

// The command line of this process as the platform would hand it over: the arguments
// joined by blanks, each holding a blank or tab (or empty) in double quotes.
std::string JoinCommandLine(int argc, const char* const* argv);
