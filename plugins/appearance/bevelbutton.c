/* The bevel button's behaviour routines (creation, destruction, drawing, the mouse, pane
 * closing, redraw, font refresh, pointer enter and leave), its caption and menu-value
 * accessors, and the control descriptor with its properties, methods and events. */
#include "plugins/appearance/bevelbutton.h"

#include <stdlib.h>

#include "plugins/appearance/bevelmenu.h"
#include "plugins/appearance/bevelpaint.h"

#define ROUTINE __attribute__((force_align_arg_pointer))

/* Set while "Action" runs: a release that arrives meanwhile (a nested event loop in the
 * handler) is ignored. */
static int gBusy;
/* The themed look needs the system's theme library, which this platform does not offer. */
static void* gTheme;

static void Redraw(Object* control) { gRuntime.MAVEInvalidateControl(control); }

static void ReplaceString(String** slot, String* text) {
  String* old = *slot;
  *slot = gRuntime.MAVELockString(text);
  gRuntime.MAVEUnlockString(old);
}

static int Inside(Object* control, int32_t x, int32_t y) {
  int32_t b[4];
  gRuntime.PluginGetControlBounds(control, b);
  return x >= 0 && y >= 0 && x < b[2] - b[0] && y < b[3] - b[1];
}

/* ---- Behaviour routines ---------------------------------------------------------------- */

ROUTINE static void Created(Object* control) {
  BevelData* data = Bevel(control);
  data->caption = gRuntime.PluginDefaultControlCaption();
  data->fontName = gRuntime.PluginDefaultControlFont();
  data->fontSize = gRuntime.PluginDefaultControlFontSize();
  data->hover = 0;
  data->menuTracking = 0;
}

ROUTINE static void Destroyed(Object* control) {
  BevelData* data = Bevel(control);
  ReplaceString(&data->caption, NULL);
  ReplaceString(&data->fontName, NULL);
  gRuntime.MAVEUnlockObject(data->icon);
  data->icon = NULL;
  ClearBevelRows(data);
  free(data->receivers);
  data->receivers = NULL;
  data->receiverCount = 0;
}

ROUTINE static void Draw(Object* control, Object* g) { PaintBevelButton(control, g); }

/* A disabled button takes the click and does nothing with it. */
ROUTINE static uint8_t MouseDown(Object* control, int32_t x, int32_t y, int32_t modifiers) {
  (void)x, (void)y, (void)modifiers;
  if (!gRuntime.GetControlEnabled(control)) return 1;
  Bevel(control)->pressed = 1;
  Redraw(control);
  return 1;
}

ROUTINE static void MouseDrag(Object* control, int32_t x, int32_t y) {
  BevelData* data = Bevel(control);
  if (!gRuntime.GetControlEnabled(control)) return;
  uint8_t inside = Inside(control, x, y) ? 1 : 0;
  if (data->pressed == inside) return;
  data->pressed = inside;
  Redraw(control);
}

static void ApplyButtonType(BevelData* data) {
  if (data->buttonType == 1) data->value = data->value ? 0 : 1;
  if (data->buttonType == 2) data->value = 1;
}

/* Receivers would be told through their interface; nothing in this system registers one. */
static void NotifyReceivers(Object* control) { (void)control; }

ROUTINE static void MouseUp(Object* control, int32_t x, int32_t y) {
  (void)x, (void)y;
  BevelData* data = Bevel(control);
  if (gBusy || !gRuntime.GetControlEnabled(control)) return;
  if (data->hasMenu != 0 && data->pressed) {
    data->pressed = 0;
    Redraw(control);
  }
  if (!data->pressed) return;  /* released outside: nothing happens */
  data->pressed = 0;
  ApplyButtonType(data);
  Redraw(control);
  int rowChosen = 0;  /* menus are not tracked on this platform: no row is ever chosen */
  if (!rowChosen) {
    gBusy = 1;
    gRuntime.MAVELockObject(control);
    gRuntime.PluginRaiseControlEvent(control, "Action");
    gBusy = 0;
    Bevel(control)->menuTracking = 0;
    NotifyReceivers(control);
    gRuntime.MAVEUnlockObject(control);
    return;
  }
  data->menuTracking = 0;
  NotifyReceivers(control);
}

ROUTINE static void PaneClosing(Object* control) {
  BevelData* data = Bevel(control);
  data->pressed = 0;
  data->hover = 0;
  data->menuTracking = 0;
}

ROUTINE static void RedrawRoutine(Object* control) { Redraw(control); }

ROUTINE static void FontChanged(Object* control) {
  BevelData* data = Bevel(control);
  String* font = gRuntime.PluginDefaultControlFont();
  ReplaceString(&data->fontName, font);
  gRuntime.MAVEUnlockString(font);
  data->fontSize = gRuntime.PluginDefaultControlFontSize();
  Redraw(control);
}

ROUTINE static void MouseEnter(Object* control) {
  if (gTheme == NULL) return;
  Bevel(control)->hover = 1;
  Redraw(control);
}

ROUTINE static void MouseExit(Object* control) {
  if (gTheme == NULL) return;
  Bevel(control)->hover = 0;
  Redraw(control);
}

/* ---- Accessors ------------------------------------------------------------------------- */

ROUTINE static String* CaptionGetter(Object* control, int32_t parameter) {
  (void)parameter;
  if (control == NULL) return NULL;
  return gRuntime.MAVELockString(Bevel(control)->caption);
}

ROUTINE static void CaptionSetter(Object* control, int32_t parameter, String* text) {
  (void)parameter;
  if (control == NULL) return;
  ReplaceString(&Bevel(control)->caption, text);
  Redraw(control);
}

ROUTINE static int32_t MenuValueGetter(Object* control, int32_t parameter) {
  (void)parameter;
  return control != NULL ? Bevel(control)->menuValue : 0;
}

ROUTINE static void MenuValueSetter(Object* control, int32_t parameter, int32_t value) {
  (void)parameter;
  if (control == NULL) return;
  Bevel(control)->menuValue = value;
  Redraw(control);
}

/* ---- The descriptor -------------------------------------------------------------------- */

typedef void* Routine;
#define OWN ((Routine)(intptr_t)-1)
#define FIELD(member) ((int32_t)offsetof(BevelData, member))

typedef struct PropertyEntry {
  const char* group;
  const char* name;
  const char* type;
  uint32_t flags;
  Routine getter;
  Routine setter;
  int32_t fieldOffset;
  uint32_t reserved[3];
} PropertyEntry;

typedef struct MethodEntry {
  Routine routine;
  Routine secondRoutine;
  const char* declaration;
} MethodEntry;

typedef struct EventEntry {
  const char* declaration;
  void* handle;
} EventEntry;

enum { kRedraws = 1 };

static PropertyEntry gProperties[] = {
    {"Appearance", "Caption", "String", 0, (Routine)CaptionGetter, (Routine)CaptionSetter, FIELD(caption), {0}},
    {"Appearance", "CaptionAlign", "Integer", kRedraws, OWN, OWN, FIELD(captionAlign), {0}},
    {"Appearance", "CaptionPlacement", "Integer", kRedraws, OWN, OWN, FIELD(captionPlacement), {0}},
    {"Appearance", "CaptionDelta", "Integer", kRedraws, OWN, OWN, FIELD(captionDelta), {0}},
    {"Appearance", "Icon", "Picture", kRedraws, OWN, OWN, FIELD(icon), {0}},
    {"Appearance", "IconAlign", "Integer", kRedraws, OWN, OWN, FIELD(iconAlign), {0}},
    {"Appearance", "IconDX", "Integer", kRedraws, OWN, OWN, FIELD(iconDX), {0}},
    {"Appearance", "IconDY", "Integer", kRedraws, OWN, OWN, FIELD(iconDY), {0}},
    {"Appearance", "Bevel", "Integer", 0, OWN, OWN, FIELD(bevel), {0}},
    {"Appearance", "HasMenu", "Integer", 0, OWN, OWN, FIELD(hasMenu), {0}},
    {"Initial State", "Value", "Boolean", kRedraws, OWN, OWN, FIELD(value), {0}},
    {"Initial State", "MenuValue", "Integer", 0, (Routine)MenuValueGetter, (Routine)MenuValueSetter, FIELD(menuValue), {0}},
    {"Behavior", "ButtonType", "integer", 0, OWN, OWN, FIELD(buttonType), {0}},
    {"Font", "TextFont", "string", kRedraws, OWN, OWN, FIELD(fontName), {0}},
    {"Font", "TextSize", "integer", 0, OWN, OWN, FIELD(fontSize), {0}},
    {"Font", "Bold", "boolean", 0, OWN, OWN, FIELD(bold), {0}},
    {"Font", "Italic", "boolean", 0, OWN, OWN, FIELD(italic), {0}},
    {"Font", "Underline", "boolean", 0, OWN, OWN, FIELD(underline), {0}},
};

static MethodEntry gMethods[] = {
    {(Routine)DeleteAllRows, 0, "DeleteAllRows"},
    {(Routine)AddRow, 0, "AddRow(text As String)"},
    {(Routine)AddSeparator, 0, "AddSeparator"},
    {(Routine)RemoveRow, 0, "RemoveRow(row As Integer)"},
    {(Routine)InsertRow, 0, "InsertRow(row As Integer, text As String)"},
    {(Routine)ListGetter, (Routine)ListSetter, "List(row As Integer) As String"},
    {(Routine)AddReceiver, 0, "addActionNotificationReceiver(receiver As actionNotificationReceiver)"},
    {(Routine)RemoveReceiver, 0, "removeActionNotificationReceiver(receiver As actionNotificationReceiver)"},
};

static EventEntry gEvents[] = {
    {"MouseUp(X As Integer, Y As Integer) As Boolean", 0},
    {"MouseDown(X As Integer, Y As Integer) As Boolean", 0},
    {"Action", 0},
};

/* Slots 0-18; the empty ones are 0. */
static Routine gBehaviour[19] = {
    (Routine)Created, (Routine)Destroyed, (Routine)Draw, (Routine)MouseDown, (Routine)MouseDrag,
    (Routine)MouseUp, 0, 0, 0, 0, (Routine)PaneClosing, 0, (Routine)Draw, 0,
    (Routine)RedrawRoutine, (Routine)FontChanged, (Routine)MouseEnter, (Routine)MouseExit, 0,
};

#define COUNT(array) ((int32_t)(sizeof(array) / sizeof((array)[0])))

static struct {
  int32_t version;
  const char* name;
  int32_t dataSize;
  uint32_t flags;
  int32_t defaultWidth;
  int32_t defaultHeight;
  int32_t value6;
  int32_t value7;
  PropertyEntry* properties;
  int32_t propertyCount;
  MethodEntry* methods;
  int32_t methodCount;
  EventEntry* events;
  int32_t eventCount;
  Routine* behaviour;
  int32_t dataOffset;
  void* constants;
  int32_t constantCount;
  const char* interfaces;
} gDescriptor = {
    5, "BevelButton", kBevelDataSize, 0x18, 60, 22, 0, 0,
    gProperties, COUNT(gProperties), gMethods, COUNT(gMethods), gEvents, COUNT(gEvents),
    gBehaviour, 0, NULL, 0, "ActionSource",
};

_Static_assert(sizeof(gDescriptor) == 76, "control descriptor is 19 words");

/* The interface's description text, as the development environment shows it. */
const char* const kActionSourceDescription = "%1 pressed";

void RegisterBevelButton(void) { gRuntime.PluginRegisterControl(&gDescriptor); }
