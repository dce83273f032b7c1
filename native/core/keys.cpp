// Key translation: the character a key produces (carried with the key's message, see
// InputKey) and the character of a virtual-key code. Entry points: ToAscii, MapVirtualKeyA.
#include "native/core/state.h"

int ToAscii(UINT virtualKey, UINT scanCode, const BYTE*, WORD* chars, UINT) {
  // Input puts the key's character in the scan-code byte (see native/core/input.h).
  auto ch = static_cast<uint8_t>(scanCode & 0xFF);
  if (ch == 0) ch = static_cast<uint8_t>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_CHAR));
  if (ch == 0 || !chars) return 0;
  *chars = ch;
  return 1;
}

UINT MapVirtualKeyA(UINT code, UINT mapType) {
  if (mapType != MAPVK_VK_TO_CHAR) return 0;
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return code;
  switch (code) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_TAB: return '\t';
    case VK_BACK: return '\b';
    case VK_ESCAPE: return 27;
    case VK_OEM_PLUS: return '=';
    case VK_OEM_MINUS: return '-';
    case VK_OEM_COMMA: return ',';
    case VK_OEM_PERIOD: return '.';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DIVIDE: return '/';
    default: return 0;
  }
}
