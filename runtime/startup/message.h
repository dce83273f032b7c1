// ShowRuntimeMessage: the runtime's one user-facing message box (information icon, OK),
// captioned "Message", or with the application caption in multiple-document mode. The
// loader's refusals, damaged-image reports, unhandled exceptions and RuntimeMsgBox use it.
#pragma once
#include <string>

void ShowRuntimeMessage(const std::string& text);
