// The running application's project settings: read once by RuntimeInit from the kind-4
// project item through the records reader, converted to Windows-1252, kept for the run.
#include "runtime/startup/projectsettings.h"

#include <cstdio>

#include "runtime/records/datablock.h"
#include "runtime/records/settings.h"
namespace {

ApplicationSettings& Current() {
  static ApplicationSettings settings;
  return settings;
}

std::string Converted(std::string_view text) { return MacRomanToWindows1252(std::string(text)); }

ApplicationSettings FromRecord(const ProjectSettings& record) {
  ApplicationSettings settings;
  settings.flags = record.flags;
  settings.reserved1 = record.reserved1;
  settings.reserved2 = record.reserved2;
  for (const DocumentType& type : record.documentTypes) {
    DocumentTypeEntry entry;
    for (int i = 0; i < 4; ++i) entry.texts[i] = Converted(type.texts[i]);
    settings.documentTypes.push_back(entry);
  }
  for (std::string_view message : record.messages) settings.messages.push_back(Converted(message));
  settings.mdiMode = record.mdiMode;
  settings.caption = Converted(record.caption);
  return settings;
}

// The stream's project item (kind word, chain word, length) lies just before it. Within the
// running image the whole data1 block bounds the item; otherwise the item alone does.
bool LocateItem(const uint8_t* bytes, uint32_t length, DataBlock* block, uint32_t* offset) {
  constexpr uint32_t kItemHeader = 12;
  const uint8_t* item = bytes - kItemHeader;
  const DataBlock& image = ImageData();
  if (image.bytes != nullptr && image.OffsetOfAddress(item, *offset)) {
    *block = image;
    return true;
  }
  *block = DataBlock::Relocated(item, length + kItemHeader);
  *offset = 0;
  return true;
}

}  // namespace

bool ApplyProjectSettingsStream(const uint8_t* bytes, uint32_t length) {
  DataBlock block;
  uint32_t offset = 0;
  ProjectSettings record;
  std::string error;
  if (bytes == nullptr || !LocateItem(bytes, length, &block, &offset) ||
      !ReadProjectSettings(block, offset, record, error)) {
    // The run goes on with empty settings; the damage is said where a developer sees it.
    std::fprintf(stderr, "armonix: project settings not read: %s\n", error.c_str());
    return false;
  }
  Current() = FromRecord(record);
  return true;
}

const ApplicationSettings& CurrentApplicationSettings() { return Current(); }

void ResetApplicationSettings() { Current() = ApplicationSettings(); }

std::string ProjectMessage(int32_t index) {
  const auto& messages = Current().messages;
  if (index < 0 || static_cast<size_t>(index) >= messages.size()) return {};
  return messages[static_cast<size_t>(index)];
}

bool MdiMode() { return Current().mdiMode; }

std::string MessageBoxCaption() { return MdiMode() ? Current().caption : std::string("Message"); }
