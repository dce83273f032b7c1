// EditField: the CreatePane handler (native variant, colours, text and limit, password and
// tabs, state), the pane's events (GotFocus/LostFocus, KeyDown, MouseDown/MouseUp,
// TextChange), and the accessors: Text, selection, selection styles with the warnings for
// the styles the system lacks, colours, read-only, password and limit.
// Entry points: EditFieldCreatePane, edit* (runtime/entries/lists/ui.def).
#include "runtime/ui/editfield.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/fontmapping.h"
#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/viewwindow.h"

using stdcontrols::EditFieldOf;
using stdcontrols::NativeColour;
using stdcontrols::PaneOf;
using stdcontrols::RaiseControlEvent;

namespace {

constexpr char kPasswordCharacter = '*';

EditFieldObject* FieldObjectOf(const Pane* pane) {
  return pane != nullptr ? EditFieldOf(pane->control) : nullptr;
}

// The live native field of an object, or nil.
HWND FieldWindow(ObjectHeader* control) {
  EditFieldPane* pane = PaneOf<EditFieldPane>(EditFieldOf(control));
  return pane != nullptr ? pane->hwnd : nullptr;
}

// The selection as (first, count).
std::pair<int32_t, int32_t> Selection(HWND hwnd) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  DWORD low = std::min(start, end);
  DWORD high = std::max(start, end);
  return {static_cast<int32_t>(low), static_cast<int32_t>(high - low)};
}

CHARFORMATA CurrentFormat(HWND hwnd) {
  CHARFORMATA format{};
  format.cbSize = sizeof(format);
  SendMessageA(hwnd, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

void SetSelectionFormat(HWND hwnd, CHARFORMATA format) {
  format.cbSize = sizeof(format);
  SendMessageA(hwnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

DWORD EffectOf(int32_t selector) {
  switch (selector) {
    case kSelBold: return CFE_BOLD;
    case kSelUnderline: return CFE_UNDERLINE;
    case kSelItalic: return CFE_ITALIC;
    default: return 0;
  }
}

void ShowWarning(const char* text) {
  MessageBoxA(nullptr, text, "", MB_OK | MB_ICONWARNING);
}

}  // namespace

EditFieldStyle EditFieldStyleOf(const EditFieldObject& field) {
  EditFieldStyle result{WS_TABSTOP, 0};
  if (field.multiLine != 0) {
    result.style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_WANTRETURN;
    if (field.scrollBar != 0) result.style |= WS_VSCROLL;
  } else {
    result.style |= ES_AUTOHSCROLL;
  }
  if (field.border != 0) result.exStyle |= WS_EX_CLIENTEDGE;
  return result;
}

const char* UnsupportedStyleMessage(int32_t selector) {
  switch (selector) {
    case kSelOutline: return "Windows does not support the 'Outline' text font style.";
    case kSelShadow: return "Windows does not support the 'Shadow' text font style.";
    case kSelCondense: return "Windows does not support the 'Condensed' text font style.";
    case kSelExtend: return "Windows does not support the 'Extended' text font style.";
    default: return nullptr;
  }
}

std::string KeyTextOf(const MSG& message) {
  auto typed = static_cast<char>((message.lParam >> 16) & 0xFF);
  if (typed != 0) return std::string(1, typed);
  switch (message.wParam) {
    case VK_LEFT: return std::string(1, '\x1C');
    case VK_RIGHT: return std::string(1, '\x1D');
    case VK_UP: return std::string(1, '\x1E');
    case VK_DOWN: return std::string(1, '\x1F');
    case VK_DELETE: return std::string(1, '\x7F');
    case VK_HOME: return std::string(1, '\x01');
    case VK_END: return std::string(1, '\x04');
    case VK_PRIOR: return std::string(1, '\x0B');
    case VK_NEXT: return std::string(1, '\x0C');
    case VK_BACK: return std::string(1, '\x08');
    case VK_RETURN: return std::string(1, '\x0D');
    case VK_TAB: return std::string(1, '\x09');
    case VK_ESCAPE: return std::string(1, '\x1B');
    default: return std::string();
  }
}

// ---- EditFieldPane ------------------------------------------------------------------------

EditFieldPane::EditFieldPane() { name = "EditField"; }

bool EditFieldPane::MultiLine() const {
  if (hwnd == nullptr) return false;
  return (static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & ES_MULTILINE) != 0;
}

std::string EditFieldPane::Text() const {
  if (hwnd == nullptr) return std::string();
  int length = GetWindowTextLengthA(hwnd);
  std::vector<char> buffer(static_cast<size_t>(length) + 1, 0);
  int got = GetWindowTextA(hwnd, buffer.data(), length + 1);
  return std::string(buffer.data(), static_cast<size_t>(std::max(got, 0)));
}

void EditFieldPane::SetText(const std::string& text) {
  if (hwnd != nullptr) SetWindowTextA(hwnd, text.c_str());
}

void EditFieldPane::ApplyFont(const ControlFont& font, int32_t textRgb) {
  if (hwnd == nullptr) return;
  SetFont(CreateControlFont(font));  // what the field draws with
  CHARFORMATA format = RichEditCharFormat(font, NativeColour(textRgb));
  SendMessageA(hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

void EditFieldPane::SetBackColor(int32_t rgb) {
  if (hwnd == nullptr) return;
  SendMessageA(hwnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(NativeColour(rgb)));
}

void EditFieldPane::SetReadOnly(bool readOnly) {
  if (hwnd != nullptr) SendMessageA(hwnd, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void EditFieldPane::SetPassword(bool password) {
  if (hwnd != nullptr) SendMessageA(hwnd, EM_SETPASSWORDCHAR, password ? kPasswordCharacter : 0, 0);
}

void EditFieldPane::SetLimit(int32_t limit) {
  // 0 (and nonsense below it) is "no limit": the native field's own maximum.
  if (hwnd != nullptr) SendMessageA(hwnd, EM_EXLIMITTEXT, 0, limit > 0 ? limit : 0);
}

EventDeclaration* EditFieldPane::MouseDownEvent() const {
  return AMX_BUILTIN_EVENT(EditField, MouseDown);
}

EventDeclaration* EditFieldPane::MouseUpEvent() const {
  return AMX_BUILTIN_EVENT(EditField, MouseUp);
}

// Presses claimed by a MouseDown handler never reach the native field; their release raises
// MouseUp. Focus changes raise the focus events.
bool EditFieldPane::PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  return FilterClaimedPress(child, message, wParam, lParam);
}

LRESULT EditFieldPane::Command(int32_t code) {
  if (code != EN_CHANGE) return 0;
  EditFieldObject* field = FieldObjectOf(this);
  if (field == nullptr || field->settingText != 0) return 0;  // the runtime's own set-up
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(EditField, TextChange));
  return 0;
}

bool EditFieldPane::KeyDown(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  std::string key = KeyTextOf(message);
  if (key.empty()) return false;
  StringRecord* text = MakeString(key.data(), static_cast<int32_t>(key.size()));
  const uint32_t args[1] = {reinterpret_cast<uint32_t>(text)};
  stdcontrols::RaiseResult outcome =
      RaiseControlEvent(this, AMX_BUILTIN_EVENT(EditField, KeyDown), 1, args);
  UnlockString(text);
  return outcome.result || !outcome.paneAlive;
}

void EditFieldPane::GotFocus() {
  if (owner != nullptr) owner->focusPane = this;
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(EditField, GotFocus));
}

void EditFieldPane::LostFocus() {
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(EditField, LostFocus));
}

// ---- CreatePane ---------------------------------------------------------------------------

AMX_ENTRY void EditFieldCreatePane(ObjectHeader* control) noexcept {
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr || field->base.pane != nullptr) return;
  auto* pane = new EditFieldPane();
  stdcontrols::LinkControlPane(&field->base, pane);
  EditFieldStyle style = EditFieldStyleOf(*field);
  pane->Create(field->base.viewWindow, "RichEdit", "", WS_VISIBLE | style.style, style.exStyle,
               field->base.bounds);
  if (pane->hwnd != nullptr) SendMessageA(pane->hwnd, EM_SETEVENTMASK, 0, ENM_CHANGE);
  pane->ApplyFont(FontOfRecord(field->font), field->textColor);
  pane->SetReadOnly(field->readOnly != 0);
  pane->SetBackColor(field->backColor);
  pane->SetUseFocusRing(field->useFocusRing != 0);
  field->settingText = 1;
  field->settingLimit = 1;
  pane->SetText(stdcontrols::TextOf(field->text));
  pane->SetLimit(field->limit);
  field->settingText = 0;
  field->settingLimit = 0;
  pane->SetPassword(field->password != 0);
  pane->SetAcceptTabs(field->acceptTabs != 0);
  if (field->base.enabled == 0) pane->ChangeState(kPaneDisable);
  if (field->base.visible == 0) pane->ChangeState(kPaneHide);
}

void ApplyEditFieldFont(EditFieldObject* field) {
  if (EditFieldPane* pane = PaneOf<EditFieldPane>(field)) {
    pane->ApplyFont(FontOfRecord(field->font), field->textColor);
  }
}

// ---- Text ---------------------------------------------------------------------------------

AMX_ENTRY StringRecord* editTextGetter(ObjectHeader* control, int32_t /*parameter*/) noexcept {
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr) return nullptr;
  EditFieldPane* pane = PaneOf<EditFieldPane>(field);
  if (pane == nullptr || pane->hwnd == nullptr) return LockString(field->text);
  std::string text = pane->Text();
  return MakeString(text.data(), static_cast<int32_t>(text.size()));
}

AMX_ENTRY void editTextSetter(ObjectHeader* control, int32_t /*parameter*/,
                              StringRecord* text) noexcept {
  AMX_IMAGE_CALLER();  // the field's TextChange handler runs
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr) return;
  StringRecord* kept = LockString(text);  // a handler may drop the caller's string
  if (EditFieldPane* pane = PaneOf<EditFieldPane>(field)) pane->SetText(stdcontrols::TextOf(kept));
  stdcontrols::StoreString(&field->text, kept);
  UnlockString(kept);
}

AMX_ENTRY StringRecord* editTextStyleDataGetter(ObjectHeader* /*control*/,
                                                int32_t /*parameter*/) noexcept {
  return nullptr;  // the native fields keep no styled runs
}

// ---- Settings -----------------------------------------------------------------------------

AMX_ENTRY void editReadOnlySetter(ObjectHeader* control, int32_t /*parameter*/,
                                  ImageBool value) noexcept {
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr) return;
  field->readOnly = value != 0 ? 1 : 0;
  if (EditFieldPane* pane = PaneOf<EditFieldPane>(field)) pane->SetReadOnly(field->readOnly != 0);
}

AMX_ENTRY void editPasswordSetter(ObjectHeader* control, int32_t /*parameter*/,
                                  ImageBool value) noexcept {
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr) return;
  field->password = value != 0 ? 1 : 0;
  if (EditFieldPane* pane = PaneOf<EditFieldPane>(field)) pane->SetPassword(field->password != 0);
}

AMX_ENTRY void editTextColorSetter(ObjectHeader* control, int32_t /*parameter*/,
                                   int32_t rgb) noexcept {
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr) return;
  field->textColor = rgb;
  ApplyEditFieldFont(field);
}

AMX_ENTRY void editBackColorSetter(ObjectHeader* control, int32_t /*parameter*/,
                                   int32_t rgb) noexcept {
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr) return;
  field->backColor = rgb;
  if (EditFieldPane* pane = PaneOf<EditFieldPane>(field)) pane->SetBackColor(rgb);
}

AMX_ENTRY void editLimitTextSetter(ObjectHeader* control, int32_t /*parameter*/,
                                   int32_t limit) noexcept {
  EditFieldObject* field = EditFieldOf(control);
  if (field == nullptr) return;
  field->limit = limit;
  if (EditFieldPane* pane = PaneOf<EditFieldPane>(field)) pane->SetLimit(limit);
}

// ---- Selection ----------------------------------------------------------------------------

// Selector 0: SelStart, 1: SelLength.
AMX_ENTRY int32_t editSelGetter(ObjectHeader* control, int32_t selector) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return 0;
  std::pair<int32_t, int32_t> selection = Selection(hwnd);
  return selector == 0 ? selection.first : selection.second;
}

AMX_ENTRY void editSelSetter(ObjectHeader* control, int32_t selector, int32_t value) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return;
  int32_t length = GetWindowTextLengthA(hwnd);
  std::pair<int32_t, int32_t> selection = Selection(hwnd);
  int32_t start = selector == 0 ? value : selection.first;
  int32_t count = selector == 0 ? 0 : value;
  start = std::clamp(start, 0, length);
  count = std::clamp(count, 0, length - start);
  SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + count));
}

AMX_ENTRY StringRecord* editSelTextGetter(ObjectHeader* control, int32_t /*parameter*/) noexcept {
  EditFieldPane* pane = PaneOf<EditFieldPane>(EditFieldOf(control));
  if (pane == nullptr || pane->hwnd == nullptr) return nullptr;
  std::string text = pane->Text();
  std::pair<int32_t, int32_t> selection = Selection(pane->hwnd);
  auto first = std::min<size_t>(static_cast<size_t>(selection.first), text.size());
  std::string selected = text.substr(first, static_cast<size_t>(selection.second));
  return MakeString(selected.data(), static_cast<int32_t>(selected.size()));
}

AMX_ENTRY void editSelTextSetter(ObjectHeader* control, int32_t /*parameter*/,
                                 StringRecord* text) noexcept {
  AMX_IMAGE_CALLER();  // the field's TextChange handler runs
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return;
  std::string replacement = stdcontrols::TextOf(text);
  SendMessageA(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replacement.c_str()));
}

// Selector: SelStyle. The styles the system lacks read False.
AMX_ENTRY ImageBool editSelStyleGetter(ObjectHeader* control, int32_t selector) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return 0;
  CHARFORMATA format = CurrentFormat(hwnd);
  if (selector == kSelPlain) {
    return (format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE)) == 0 ? 1 : 0;
  }
  DWORD effect = EffectOf(selector);
  return effect != 0 && (format.dwEffects & effect) != 0 ? 1 : 0;
}

AMX_ENTRY void editSelStyleSetter(ObjectHeader* control, int32_t selector,
                                  ImageBool value) noexcept {
  if (const char* warning = UnsupportedStyleMessage(selector)) {
    if (value != 0) ShowWarning(warning);
    return;
  }
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return;
  CHARFORMATA format = CurrentFormat(hwnd);
  if (selector == kSelPlain) {
    if (value != 0) format.dwEffects &= ~(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE);
  } else if (DWORD effect = EffectOf(selector)) {
    format.dwEffects = value != 0 ? (format.dwEffects | effect) : (format.dwEffects & ~effect);
  } else {
    return;  // no such selection style
  }
  format.dwMask |= CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
  SetSelectionFormat(hwnd, format);
}

AMX_ENTRY StringRecord* editSelTextFontGetter(ObjectHeader* control,
                                              int32_t /*parameter*/) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return nullptr;
  CHARFORMATA format = CurrentFormat(hwnd);
  auto length = static_cast<int32_t>(strnlen(format.szFaceName, LF_FACESIZE));
  return MakeString(format.szFaceName, length);
}

AMX_ENTRY void editSelTextFontSetter(ObjectHeader* control, int32_t /*parameter*/,
                                     StringRecord* name) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return;
  CHARFORMATA format = CurrentFormat(hwnd);
  std::string face = MapFontName(StringView(name));
  size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::memcpy(format.szFaceName, face.data(), n);
  format.szFaceName[n] = 0;
  format.dwMask |= CFM_FACE;
  SetSelectionFormat(hwnd, format);
}

AMX_ENTRY int32_t editSelTextSizeGetter(ObjectHeader* control, int32_t /*parameter*/) noexcept {
  HWND hwnd = FieldWindow(control);
  return hwnd != nullptr ? CurrentFormat(hwnd).yHeight / 15 : 0;
}

AMX_ENTRY void editSelTextSizeSetter(ObjectHeader* control, int32_t /*parameter*/,
                                     int32_t size) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return;
  CHARFORMATA format = CurrentFormat(hwnd);
  format.yHeight = size * 15;
  format.dwMask |= CFM_SIZE;
  SetSelectionFormat(hwnd, format);
}

AMX_ENTRY int32_t editSelTextColorGetter(ObjectHeader* control, int32_t /*parameter*/) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return 0;
  COLORREF native = CurrentFormat(hwnd).crTextColor;
  return (GetRValue(native) << 16) | (GetGValue(native) << 8) | GetBValue(native);
}

AMX_ENTRY void editSelTextColorSetter(ObjectHeader* control, int32_t /*parameter*/,
                                      int32_t rgb) noexcept {
  HWND hwnd = FieldWindow(control);
  if (hwnd == nullptr) return;
  CHARFORMATA format = CurrentFormat(hwnd);
  format.crTextColor = NativeColour(rgb);
  format.dwMask |= CFM_COLOR;
  SetSelectionFormat(hwnd, format);
}
