// Small types every part of the window layer shares: the 16-bit rectangle that window and
// control objects store (top, left, bottom, right, as compiled code and descriptions see it)
// and the "not in a control array" index.
#pragma once
#include <cstdint>

#include "native/win32.h"

constexpr int32_t kNotInArray = INT32_MIN;  // 0x80000000: a control or menu item outside arrays

// Field order top, left, bottom, right; coordinates are client pixels (controls) or screen
// pixels (windows). Values wrap at 16 bits.
struct Rect16 {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Contains(int32_t x, int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  RECT ToRect() const { return RECT{left, top, right, bottom}; }
  static Rect16 FromRect(const RECT& r) {
    return Rect16{static_cast<int16_t>(r.top), static_cast<int16_t>(r.left),
                  static_cast<int16_t>(r.bottom), static_cast<int16_t>(r.right)};
  }
  bool operator==(const Rect16& o) const {
    return top == o.top && left == o.left && bottom == o.bottom && right == o.right;
  }
  bool operator!=(const Rect16& o) const { return !(*this == o); }
};
static_assert(sizeof(Rect16) == 8);
