/* The runtime routines the appearance plug-in uses, fetched by name through the lookup
 * routine handed to MAVEPluginMain (the library is not linked to the runtime). Runtime
 * records are opaque here except for the object header words the plug-in never touches.
 * Entry point: LoadRuntimeApi. */
#ifndef ARMONIX_APPEARANCE_RUNTIMEAPI_H
#define ARMONIX_APPEARANCE_RUNTIMEAPI_H
#include <stdint.h>

typedef struct Object Object;  /* a runtime object (a control, a Graphics object) */
typedef struct String String;  /* a runtime string; NULL is the empty string */
typedef void* (*EntryLookup)(const char* name);

typedef struct RuntimeApi {
  void (*RegisterPluginVersion)(int32_t version);
  void (*PluginRegisterControl)(void* descriptor);
  String* (*MAVELockString)(String* text);
  void (*MAVEUnlockString)(String* text);
  Object* (*MAVELockObject)(Object* object);
  void (*MAVEUnlockObject)(Object* object);
  String* (*PluginDefaultControlFont)(void);
  int32_t (*PluginDefaultControlFontSize)(void);
  String* (*PluginDefaultControlCaption)(void);
  void (*PluginGetControlBounds)(Object* control, int32_t* leftTopRightBottom);
  uint8_t (*GetControlEnabled)(Object* control);
  void (*MAVEInvalidateControl)(Object* control);
  uint8_t (*PluginRaiseControlEvent)(Object* control, const char* eventName);
  int32_t (*PluginSystemColor)(int32_t index);
  void (*PluginGraphicsFillRect)(Object* g, int32_t l, int32_t t, int32_t r, int32_t b, int32_t colour);
  void (*PluginGraphicsFrameRect)(Object* g, int32_t l, int32_t t, int32_t r, int32_t b, int32_t colour);
  void (*PluginGraphicsDrawLine)(Object* g, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour);
  void (*PluginGraphicsDrawText)(Object* g, String* text, const int32_t* ltrb, int32_t colour,
                                 String* font, int32_t size, int32_t style, int32_t align);
} RuntimeApi;

extern RuntimeApi gRuntime;

/* Fills gRuntime; 0 when a routine is missing (the plug-in then registers nothing). */
int LoadRuntimeApi(EntryLookup lookup);

#endif
