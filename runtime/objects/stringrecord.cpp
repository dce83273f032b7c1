// StringRecord lifetime and in-place changes: making strings, the reference count
// (RuntimeLockString / RuntimeUnlockString), copy-on-write, appending and concatenation
// (RuntimeAddString). Everything else about strings builds on these.
#include <climits>
#include <cstdio>
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/stringinternal.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"

namespace {

constexpr int32_t kRecordSize = sizeof(StringRecord);

// Where writes go that must not land in any string (a refused index, a lost copy).
uint8_t gScratchByte;

// Writes the length byte, the text's end and the length field after the text changed.
void SetLength(StringRecord* s, int32_t length) {
  s->length = length;
  s->buffer[0] = static_cast<uint8_t>(length < 255 ? length : 255);
  s->buffer[length + 1] = 0;
}

// A buffer for `capacity` bytes, or nil when the heap cannot give one (never fatal).
uint8_t* NewBuffer(int64_t capacity) {
  if (capacity > INT32_MAX) return nullptr;
  return static_cast<uint8_t*>(HeapAlloc(static_cast<int32_t>(capacity), true));
}

// A record that the image (or a static table) owns: its buffer is not a heap block of
// `capacity` bytes and must never go back to the heap, nor be written in place.
bool IsStaticForm(const StringRecord* s) {
  return s->capacity < static_cast<int64_t>(s->length) + 2;
}

bool OwnedByHolder(const StringRecord* s) { return s->refCount == 1 && !IsStaticForm(s); }

void FreeString(StringRecord* s) {
  HeapFree(s->buffer, s->capacity);
  HeapFree(s, kRecordSize);
}

}  // namespace

namespace string_internal {

StringRecord* NewString(int32_t length) {
  if (length <= 0) return nullptr;
  uint8_t* buffer = NewBuffer(static_cast<int64_t>(length) + 2);
  if (buffer == nullptr) return nullptr;
  auto* s = static_cast<StringRecord*>(HeapAlloc(kRecordSize, false));
  s->refCount = 1;
  s->buffer = buffer;
  s->capacity = length + 2;
  SetLength(s, length);
  return s;
}

StringRecord* Retain(StringRecord* s) {
  if (s != nullptr) {
    if (s->refCount == 0) FailedAssertion(4, "string", 25);
    ++s->refCount;
  }
  return s;
}

StringRecord* Join(const uint8_t* a, int32_t aLength, const uint8_t* b, int32_t bLength) {
  int64_t total = static_cast<int64_t>(aLength) + bLength;
  if (total > INT32_MAX - 2) return nullptr;
  StringRecord* s = NewString(static_cast<int32_t>(total));
  if (s == nullptr) return nullptr;
  std::memcpy(s->buffer + 1, a, static_cast<size_t>(aLength));
  std::memcpy(s->buffer + 1 + aLength, b, static_cast<size_t>(bLength));
  return s;
}

}  // namespace string_internal

using string_internal::NewString;

StringRecord* MakeString(const void* bytes, int32_t length) {
  StringRecord* s = NewString(length);
  if (s != nullptr) std::memcpy(s->buffer + 1, bytes, static_cast<size_t>(length));
  return s;
}

StringRecord* MakeStringFromC(const char* text) {
  if (text == nullptr) return nullptr;
  size_t length = std::strlen(text);
  if (length > INT32_MAX - 2) return nullptr;
  return MakeString(text, static_cast<int32_t>(length));
}

StringRecord* MakeStringFromUtf8(std::string_view utf8) {
  std::string bytes = Utf8ToWindows1252(utf8);
  if (bytes.size() > INT32_MAX - 2) return nullptr;
  return MakeString(bytes.data(), static_cast<int32_t>(bytes.size()));
}

StringRecord* LockString(StringRecord* s) { return string_internal::Retain(s); }

void UnlockString(StringRecord* s) {
  if (s == nullptr) return;
  if (s->refCount <= 0) {
    FailedAssertion(4, "string", 35);
    return;
  }
  if (--s->refCount == 0 && !IsStaticForm(s)) FreeString(s);
}

int32_t StringLength(const StringRecord* s) { return s == nullptr ? 0 : s->length; }

const uint8_t* StringBytes(const StringRecord* s) {
  static const uint8_t kEmpty[1] = {0};
  if (s == nullptr || s->buffer == nullptr) return kEmpty;
  return s->buffer + 1;
}

const char* StringText(const StringRecord* s) {
  return reinterpret_cast<const char*>(StringBytes(s));
}

std::string_view StringView(const StringRecord* s) {
  return {StringText(s), static_cast<size_t>(StringLength(s))};
}

std::string StringToUtf8(const StringRecord* s) { return Windows1252ToUtf8(StringView(s)); }

uint8_t* StringWritableByte(StringRecord** s, int32_t index) {
  gScratchByte = 0;
  if (*s == nullptr) {
    if (index != 0) FailedAssertion(4, "string", 210);
    return &gScratchByte;
  }
  if (index < 0 || index >= (*s)->length) {
    FailedAssertion(4, "string", 200);
    return &gScratchByte;
  }
  if (!OwnedByHolder(*s)) {
    StringRecord* copy = MakeString(StringBytes(*s), (*s)->length);
    if (copy == nullptr) return &gScratchByte;  // no memory for a private copy
    UnlockString(*s);
    *s = copy;
  }
  return (*s)->buffer + 1 + index;
}

bool StringAppend(StringRecord** s, const void* bytes, int32_t length) {
  if (length <= 0) return true;
  StringRecord* old = *s;
  int32_t oldLength = StringLength(old);
  int64_t newLength = static_cast<int64_t>(oldLength) + length;
  if (newLength > INT32_MAX - 2) return false;
  if (old != nullptr && OwnedByHolder(old) && old->capacity >= newLength + 2) {
    std::memmove(old->buffer + 1 + oldLength, bytes, static_cast<size_t>(length));
    SetLength(old, static_cast<int32_t>(newLength));
    return true;
  }
  // Repeated appends by the one holder grow the buffer geometrically; others get an exact fit.
  int64_t capacity = newLength + 2;
  if (old != nullptr && OwnedByHolder(old)) capacity += capacity / 2;
  if (capacity > INT32_MAX) capacity = newLength + 2;
  uint8_t* buffer = NewBuffer(capacity);
  if (buffer == nullptr) return false;
  std::memcpy(buffer + 1, StringBytes(old), static_cast<size_t>(oldLength));
  std::memcpy(buffer + 1 + oldLength, bytes, static_cast<size_t>(length));  // may be old's bytes
  if (old != nullptr && OwnedByHolder(old)) {
    HeapFree(old->buffer, old->capacity);
    old->buffer = buffer;
    old->capacity = static_cast<int32_t>(capacity);
    SetLength(old, static_cast<int32_t>(newLength));
    return true;
  }
  auto* fresh = static_cast<StringRecord*>(HeapAlloc(kRecordSize, false));
  fresh->refCount = 1;
  fresh->buffer = buffer;
  fresh->capacity = static_cast<int32_t>(capacity);
  SetLength(fresh, static_cast<int32_t>(newLength));
  UnlockString(old);
  *s = fresh;
  return true;
}

bool StringAppendString(StringRecord** s, const StringRecord* tail) {
  return StringAppend(s, StringBytes(tail), StringLength(tail));
}

bool StringAppendByte(StringRecord** s, uint8_t byte) { return StringAppend(s, &byte, 1); }

StringRecord* ConcatStrings(StringRecord* a, StringRecord* b) {
  if (StringLength(a) == 0) return StringLength(b) == 0 ? nullptr : LockString(b);
  if (StringLength(b) == 0) return LockString(a);
  return string_internal::Join(StringBytes(a), a->length, StringBytes(b), b->length);
}

StringRecord* TrimSpacesAndTabs(StringRecord* s, TrimSide side) {
  const uint8_t* bytes = StringBytes(s);
  int32_t begin = 0;
  int32_t end = StringLength(s);
  auto isSpace = [](uint8_t c) { return c == ' ' || c == '\t'; };
  if (side != TrimSide::kRight) {
    while (begin < end && isSpace(bytes[begin])) ++begin;
  }
  if (side != TrimSide::kLeft) {
    while (end > begin && isSpace(bytes[end - 1])) --end;
  }
  return string_internal::Slice(s, begin, end - begin);
}

StringRecord* FormatInteger(int32_t value) {
  char text[16];
  int length = std::snprintf(text, sizeof text, "%d", value);
  return MakeString(text, length);
}

namespace string_internal {

StringRecord* Slice(StringRecord* s, int32_t start, int32_t count) {
  if (count <= 0) return nullptr;
  if (start == 0 && count == StringLength(s)) return LockString(s);
  return MakeString(StringBytes(s) + start, count);
}

}  // namespace string_internal

// Returns its argument, as RuntimeLockObject does, for code that locks and stores at once.
AMX_ENTRY StringRecord* RuntimeLockString(StringRecord* s) noexcept { return LockString(s); }

AMX_ENTRY void RuntimeUnlockString(StringRecord* s) noexcept { UnlockString(s); }

AMX_ENTRY StringRecord* RuntimeAddString(StringRecord* a, StringRecord* b) noexcept {
  return ConcatStrings(a, b);
}
