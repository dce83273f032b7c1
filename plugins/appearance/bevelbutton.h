/* The bevel button: its per-instance data (112 bytes after the runtime's control fields),
 * its behaviour routines and accessors, and the control descriptor that registers it.
 * Entry point: RegisterBevelButton. */
#ifndef ARMONIX_APPEARANCE_BEVELBUTTON_H
#define ARMONIX_APPEARANCE_BEVELBUTTON_H
#include <stddef.h>
#include <stdint.h>

#include "plugins/appearance/runtimeapi.h"

enum { kControlDataOffset = 96, kBevelDataSize = 112 };

typedef struct BevelRow {
  String* text;  /* NULL for a separator */
  uint8_t separator;
} BevelRow;

/* Field order is the one the property descriptors name by offset. */
typedef struct BevelData {
  String* caption;
  int32_t hasMenu;
  int32_t iconAlign;
  int32_t captionAlign;
  int32_t captionPlacement;
  uint8_t value;
  uint8_t pad1[3];
  String* fontName;
  int32_t fontSize;
  uint8_t bold;
  uint8_t italic;
  uint8_t underline;
  uint8_t pad2;
  Object* icon;
  int32_t iconDX;
  int32_t iconDY;
  int32_t captionDelta;
  int32_t bevel;
  int32_t buttonType;  /* 0 momentary, 1 toggle, 2 sticky */
  BevelRow* rows;      /* the pop-up menu rows (malloc'd) */
  uint8_t pressed;     /* the mouse went down inside and is still inside */
  uint8_t menuTracking;
  uint8_t hover;
  uint8_t pad3;
  int32_t rowCount;
  int32_t menuValue;
  void** receivers;    /* action notification receivers (malloc'd, not counted) */
  int32_t receiverCount;
  uint8_t reserved[28];
} BevelData;

_Static_assert(sizeof(BevelData) == kBevelDataSize, "bevel button data is 112 bytes");
_Static_assert(offsetof(BevelData, value) == 20, "value");
_Static_assert(offsetof(BevelData, fontName) == 24, "font name");
_Static_assert(offsetof(BevelData, icon) == 36, "icon");
_Static_assert(offsetof(BevelData, buttonType) == 56, "button type");
_Static_assert(offsetof(BevelData, pressed) == 64, "pressed");
_Static_assert(offsetof(BevelData, menuValue) == 72, "menu value");

/* The plug-in's data of a bevel-button instance. */
static inline BevelData* Bevel(Object* control) {
  return (BevelData*)((uint8_t*)control + kControlDataOffset);
}

void RegisterBevelButton(void);

#endif
