// Writes the seed corpus: small images made with the image kit that reach every record kind
// (call links of each name form, fix-ups, skipped bytes, every relocation kind, literals,
// classes, a window, a menu bar, settings and plug-ins), and their block pairs for the linker
// and relocator targets (DIR-linker, DIR-relocator; see blockpair.h).
// Usage: fuzz_image_seeds DIR
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/imagekit/imagekit.h"

namespace {

using namespace imagekit;

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The first block's size as a little-endian word, then the two blocks.
Bytes BlockPair(const Bytes& first, const Bytes& second) {
  auto n = uint32_t(first.size());
  Bytes pair{uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
  pair.insert(pair.end(), first.begin(), first.end());
  pair.insert(pair.end(), second.begin(), second.end());
  return pair;
}

void Write(const std::string& dir, const char* name, const Image& image) {
  WriteBytes(dir + "/" + name, EncodeContainer(image));
  WriteBytes(dir + "-linker/" + name, BlockPair(image.code1, image.code2));
  WriteBytes(dir + "-relocator/" + name, BlockPair(image.data1, image.data2));
}

Image Calls() {
  ImageBuilder b;
  CodeLabel entry = b.NewCodeLabel();
  DataLabel v = b.NewDataLabel();
  b.BindData(v);
  b.EmitWord(0);
  b.EmitCode({0x90});  // nop
  b.BindCode(entry);
  for (const char* name : {"RuntimeInit", "runtimeinit", "!Xa!f", "!Xb!g", "!GBevelButton!Caption",
                           "!SBevelButton!Caption", "MissingName", "RuntimeRun"})
    b.EmitEntryCall(name);
  b.EmitEntryCall("RuntimeInit");
  b.EmitDataAddress({0xA3}, v);  // mov [v], eax
  b.EmitCode({0xC3});            // ret
  b.DeclareEntry("rnd");
  b.AddRawLinkByte(0x07);
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  return b.Finish();
}

Image Application() {
  ImageBuilder b;
  CodeLabel entry = b.NewCodeLabel();
  b.BindCode(entry);
  b.EmitCode({0xC3});  // ret
  uint32_t window = b.AddRuntimeClass("Window");
  ClassDef main;
  main.name = "fnMt";
  main.superclass = int32_t(window);
  main.instanceSize = 120;
  main.eventHandlers = {{"Action", entry, 0}};
  main.menuHandlers = {{"FileQuit", entry}};
  main.methods = {{"Go", entry}};
  main.constructor = entry;
  main.destructor = entry;
  uint32_t cls = b.AddClass(main);
  WindowDesc w;
  w.classIndex = int32_t(cls);
  w.properties = {{"Name", "fnMt"}, {"Title", "Armonix"}};
  w.controls = {{0, {{"Name", "A"}}}};
  w.bindings = {{0, "a", 0, "b", 0, "c", "d"}};
  WindowSlots slots = b.AddWindow(w);
  DataLabel plugins = b.AddPluginList({{"bevel.dll", Bytes(40, 0x4D)}});
  b.EmitDataAddress({0x68}, plugins);               // push plugins
  b.EmitDataAddress({0x68}, slots.instanceVariable);  // push &instance
  MenuEntry quit;
  quit.text = "Esci";
  quit.name = "FileQuit";
  quit.key = "Q";
  MenuEntry file;
  file.text = "Archivio";
  file.children = {quit};
  b.AddMenuBar({file});
  b.AddProjectSettings(Bytes{'M', 'i', 'a'});
  b.EmitData(Bytes(5000, 0));
  for (int i = 0; i < 3; ++i) b.EmitCodePointer(entry);
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  return b.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: fuzz_image_seeds DIR\n");
    return 2;
  }
  Write(argv[1], "calls.img", Calls());
  Write(argv[1], "application.img", Application());
  Write(argv[1], "empty.img", Image{});
  return 0;
}
