// The runtime's own string API, for every part of the runtime that makes, keeps or reads
// language strings (StringRecord, runtime/objects/string.h). Nil is the empty string. A
// function that returns a StringRecord* returns a new reference the caller owns; strings
// passed in are lent. The entry points that compiled code calls are in runtime/entries/.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/objects/string.h"
#include "runtime/objects/stringencoding.h"

// Making strings: a new reference (count 1), or nil for empty text. A buffer that cannot be
// allocated also gives nil (the text is lost); the 16-byte record itself never fails.
StringRecord* MakeString(const void* bytes, int32_t length);
StringRecord* MakeStringFromC(const char* text);  // zero-terminated Windows-1252 bytes
StringRecord* MakeStringFromUtf8(std::string_view utf8);

// References: internal forms of RuntimeLockString / RuntimeUnlockString; nil is allowed.
// LockString returns its argument so that `field = LockString(s);` reads naturally.
StringRecord* LockString(StringRecord* s);
void UnlockString(StringRecord* s);

// Reading. StringText is zero-terminated ("" for nil); the text may also hold zero bytes,
// so code that must see all of it uses StringBytes/StringLength or StringView.
int32_t StringLength(const StringRecord* s);
const char* StringText(const StringRecord* s);
const uint8_t* StringBytes(const StringRecord* s);
std::string_view StringView(const StringRecord* s);
std::string StringToUtf8(const StringRecord* s);  // for text that leaves the runtime

// Changing a string that *s holds a reference to (copy-on-write: a shared record is copied
// first and the holder's reference moves to the copy).
// A writable byte at a 0-based index. An index outside the text is a failed assertion; the
// result then points at a scratch byte, so the write is lost rather than out of bounds.
uint8_t* StringWritableByte(StringRecord** s, int32_t index);
// Appending in place. False when the longer buffer cannot be had; *s is then unchanged.
bool StringAppend(StringRecord** s, const void* bytes, int32_t length);
bool StringAppendString(StringRecord** s, const StringRecord* tail);
bool StringAppendByte(StringRecord** s, uint8_t byte);

// New strings from old ones.
StringRecord* ConcatStrings(StringRecord* a, StringRecord* b);  // a + b; "" + b is b itself
enum class TrimSide { kLeft, kRight, kBoth };
// Removes spaces and tabs only (settings and property text); nothing removed gives s itself.
StringRecord* TrimSpacesAndTabs(StringRecord* s, TrimSide side);
StringRecord* FormatInteger(int32_t value);  // decimal, like "%d"

// Names (classes, events, properties, menu items, StringMap keys): compared byte by byte
// through the fixed name fold table; the first difference decides, else the shorter is
// less. Results are -1, 0 or 1. The zero-terminated form stops at the first zero byte.
int32_t CompareNames(const void* a, int32_t aLength, const void* b, int32_t bLength);
int32_t CompareNames(const StringRecord* a, const StringRecord* b);
int32_t CompareNames(const StringRecord* a, const char* b);
int32_t CompareNamesZ(const char* a, const char* b);
inline bool NamesEqual(const StringRecord* a, const char* b) { return CompareNames(a, b) == 0; }

// An owned reference for C++ code of the runtime: unlocks on destruction.
class StringRef {
 public:
  StringRef() = default;
  // Takes over a reference the caller owns (a result of Make*, Concat*, an entry point).
  static StringRef Adopt(StringRecord* s) { return StringRef(s); }
  // Takes a new reference to a lent string.
  static StringRef Share(StringRecord* s) { return StringRef(LockString(s)); }
  StringRef(const StringRef& other) : record_(LockString(other.record_)) {}
  StringRef(StringRef&& other) noexcept : record_(other.record_) { other.record_ = nullptr; }
  StringRef& operator=(StringRef other) noexcept {
    std::swap(record_, other.record_);
    return *this;
  }
  ~StringRef() { UnlockString(record_); }

  StringRecord* get() const { return record_; }
  StringRecord** slot() { return &record_; }  // for the in-place functions above
  // Hands the reference to the caller (for returning a result from an entry point).
  StringRecord* Release() {
    StringRecord* s = record_;
    record_ = nullptr;
    return s;
  }
  std::string_view view() const { return StringView(record_); }
  const char* c_str() const { return StringText(record_); }
  int32_t length() const { return StringLength(record_); }

 private:
  explicit StringRef(StringRecord* s) : record_(s) {}
  StringRecord* record_ = nullptr;
};
