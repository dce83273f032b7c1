// The project-settings stream (project item of kind 4), read field by field: flag byte, two
// big-endian reserved words, the document-type list, the project message table, the MDI
// flag and the application caption. Texts stay in the image's own character set (Mac
// Roman); converting them is the caller's business. Entry point: ReadProjectSettings.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/records/datablock.h"

struct DocumentType {
  std::string_view texts[4];
};

struct ProjectSettings {
  uint8_t flags = 0;
  uint32_t reserved1 = 0;
  uint32_t reserved2 = 0;
  std::vector<DocumentType> documentTypes;
  std::vector<std::string_view> messages;
  bool mdiMode = false;
  std::string_view caption;

  // Message `index` of the table; an index outside it gives the empty text.
  std::string_view Message(int32_t index) const;
};

constexpr int32_t kUnhandledExceptionMessage = 4;  // the text with "%1" for the class name

// itemOffset: the project item (kind 4, chain word, length, stream). Bytes after the
// caption are left unread.
bool ReadProjectSettings(const DataBlock& block, uint32_t itemOffset, ProjectSettings& out,
                         std::string& error);
