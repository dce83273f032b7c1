/* A small plug-in for the installation and registration tests. The test opens the same
 * library first and sets gTestMode; the runtime then loads it and calls MAVEPluginMain,
 * which registers what the mode asks for and counts its calls. */
#include <stddef.h>
#include <stdint.h>

typedef void* (*EntryLookup)(const char* name);

#define EXPORT __attribute__((visibility("default")))

EXPORT int gTestMode;
EXPORT int gMainCalls;
EXPORT void* gRegisteredClass;

enum { kModeNothing = 0, kModeVersion2Control = 1, kModeClassWithoutVersion = 2, kModeClassVersion3 = 3 };

static int32_t gControlV2[19] = {2};

static struct {
  uint32_t reserved;
  const char* name;
  const char* superclass;
  int32_t dataSize;
  int32_t dataOffset;
  void* constructor;
  void* destructor;
  void* properties[2];
  void* methods[2];
  void* events[2];
  void* constants[2];
  const char* interfaces;
} gClass = {0, "ProbeClass", "", 8, 0, NULL, NULL, {NULL, 0}, {NULL, 0}, {NULL, 0}, {NULL, 0}, ""};

EXPORT void MAVEPluginMain(EntryLookup lookup) {
  ++gMainCalls;
  void (*registerVersion)(int32_t) = (void (*)(int32_t))lookup("RegisterPluginVersion");
  void (*registerControl)(void*) = (void (*)(void*))lookup("PluginRegisterControl");
  void* (*registerClass)(void*) = (void* (*)(void*))lookup("PluginRegisterClass");
  if (!registerVersion || !registerControl || !registerClass) return;
  switch (gTestMode) {
    case kModeVersion2Control:
      gControlV2[1] = (int32_t)(intptr_t) "ProbeControlV2";
      registerControl(gControlV2);
      break;
    case kModeClassWithoutVersion:
      gRegisteredClass = registerClass(&gClass);
      break;
    case kModeClassVersion3:
      registerVersion(3);
      gRegisteredClass = registerClass(&gClass);
      break;
    default:
      break;
  }
}
