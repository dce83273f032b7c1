// Reading the project-settings stream. Lists grow only as their entries are actually read,
// so a damaged count cannot make the reader allocate more than the stream holds.
#include "runtime/records/settings.h"

#include "runtime/records/projectitem.h"
#include "runtime/records/stream.h"

namespace {

bool ReadDocumentTypes(StreamReader& s, ProjectSettings& out) {
  int32_t count = 0;
  if (!s.ReadCount("document type count", count)) return false;
  for (int32_t i = 0; i < count; ++i) {
    DocumentType type;
    for (auto& text : type.texts)
      if (!s.ReadText("document type text", text)) return false;
    out.documentTypes.push_back(type);
  }
  return true;
}

bool ReadMessages(StreamReader& s, ProjectSettings& out) {
  int32_t count = 0;
  if (!s.ReadCount("message count", count)) return false;
  for (int32_t i = 0; i < count; ++i) {
    std::string_view text;
    if (!s.ReadText("message", text)) return false;
    out.messages.push_back(text);
  }
  return true;
}

}  // namespace

std::string_view ProjectSettings::Message(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= messages.size()) return {};
  return messages[static_cast<size_t>(index)];
}

bool ReadProjectSettings(const DataBlock& block, uint32_t itemOffset, ProjectSettings& out,
                         std::string& error) {
  out = ProjectSettings();
  ProjectItem item;
  if (!ReadProjectItem(block, itemOffset, item, error)) return false;
  if (item.kind != ProjectItemKind::kSettings) {
    error = RecordMessage("project settings", itemOffset,
                          "project item kind " + std::to_string(static_cast<uint32_t>(item.kind)) +
                              " is not the project settings (4)");
    return false;
  }
  StreamReader s("project settings", itemOffset, block.bytes + item.streamOffset,
                 item.streamLength);
  uint8_t mdi = 0;
  bool ok = s.ReadByte("flag byte", out.flags) &&
            s.ReadBigEndianWord("reserved word", out.reserved1) &&
            s.ReadBigEndianWord("reserved word", out.reserved2) && ReadDocumentTypes(s, out) &&
            ReadMessages(s, out) && s.ReadByte("MDI flag", mdi) &&
            s.ReadText("application caption", out.caption);
  if (!ok) {
    error = s.Error();
    out = ProjectSettings();
    return false;
  }
  out.mdiMode = mdi != 0;
  return true;
}
