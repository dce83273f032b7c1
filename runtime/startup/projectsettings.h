// The project settings of the running application (the project item of kind 4): message
// table, MDI mode, application caption and the rest, as RuntimeInit read them. Entry points:
// ApplyProjectSettingsStream (start-up) and the accessors that the runtime reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct DocumentTypeEntry {
  std::string texts[4];
};

// The settings as the runtime keeps them (runtime/records/settings.h reads the stream).
struct ApplicationSettings {
  uint8_t flags = 0;
  uint32_t reserved1 = 0;
  uint32_t reserved2 = 0;
  std::vector<DocumentTypeEntry> documentTypes;
  std::vector<std::string> messages;  // Windows-1252 (converted from the stored Mac Roman)
  bool mdiMode = false;
  std::string caption;  // Windows-1252
};

// Reads a project-settings stream (the bytes after the item's chain word and length) and
// makes it current. A damaged stream is reported as a debug message and changes nothing;
// returns false then.
bool ApplyProjectSettingsStream(const uint8_t* bytes, uint32_t length);
const ApplicationSettings& CurrentApplicationSettings();
void ResetApplicationSettings();

// Message `index` of the table; "" at or beyond its end (and for a negative index).
std::string ProjectMessage(int32_t index);
bool MdiMode();
// The caption of the runtime's message boxes: the application caption in MDI mode,
// otherwise "Message".
std::string MessageBoxCaption();

// Mac Roman text (as the project stores it) in the runtime's Windows-1252 bytes; characters
// Windows-1252 lacks become "?". Carriage returns stay.
std::string MacRomanToWindows1252(const std::string& text);
