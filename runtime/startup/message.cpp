// ShowRuntimeMessage and the RuntimeMsgBox entry (message.h).
#include "runtime/startup/message.h"

#include "native/win32.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/projectsettings.h"

void ShowRuntimeMessage(const std::string& text) {
  std::string caption = MessageBoxCaption();
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

AMX_ENTRY void RuntimeMsgBox(StringRecord* text) noexcept {
  ShowRuntimeMessage(std::string(StringView(text)));
}
