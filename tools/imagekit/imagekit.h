// The image kit: builds an application image in memory (code1 with call-link chains, code2
// link records, data1 records, data2 relocation entries), writes it as the four development
// files or as a standalone executable, and reads any image back for inspection.
// Entry points: ImageBuilder (writing), ReadImageFile/ReadImageDirectory, DecodeLinkRecords,
// DecodeRelocations and DecodeData (reading).
//
// Typical use by a compiler:
//   imagekit::ImageBuilder b;
//   imagekit::CodeLabel main = b.NewCodeLabel();
//   b.BindCode(main);                               // main starts here
//   b.EmitCode({0x55});                             // push ebp
//   b.EmitDataAddress({0x68}, b.AddStringLiteral("Hi")); // push imm32: the literal
//   b.EmitEntryCall("RuntimeInit");                 // call through a linked chain
//   b.EmitCode({0x5D, 0xC3});                       // pop ebp; ret
//   b.SetEntryFunction(main);
//   b.SetApplicationDescriptor(b.AddApplicationDescriptor());
//   imagekit::Image image = b.Finish();             // resolves labels, builds code2/data2
//   imagekit::WriteDatFiles(image, "out/");         // or WriteExecutable(image, rt, exe)
// Labels may be used before they are bound; Finish() reports an unbound label as an error.
#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace imagekit {

using Bytes = std::vector<uint8_t>;

// The four blocks of an image, exactly as stored.
struct Image {
  Bytes code1;
  Bytes code2;
  Bytes data1;
  Bytes data2;
};

// Errors of the kit (unbound label, unwritable file, damaged input) carry a message that
// names the block and offset or the file.
struct ImageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Relocation kinds of data2 runs.
enum class CodeRunKind : uint16_t { kEntry = 0x4000, kHandler = 0x4600 };
constexpr uint16_t kDataRun = 0x4200;

// A position in code1 or data1, possibly bound later. Plain ids; 0 is never a valid label.
struct CodeLabel {
  uint32_t id = 0;
};
struct DataLabel {
  uint32_t id = 0;
};

// ---- Records of data1 -------------------------------------------------------------------

struct MethodDef {
  std::string name;
  std::optional<CodeLabel> routine;  // absent for the methods of an interface class
};
struct EventHandlerDef {
  std::string event;  // "Action", "MouseEnter", ...
  CodeLabel routine;
  uint32_t eventKey = 0;
};
struct MenuHandlerDef {
  std::string item;  // menu item name
  CodeLabel routine;
};

// A class defined by the application (descriptor kind 0).
struct ClassDef {
  uint32_t instanceSize = 24;           // bytes, header included
  std::optional<std::string> name;      // absent: anonymous (name word 0)
  int32_t superclass = -1;              // class index, -1 = none
  std::optional<CodeLabel> constructor; // both present or both absent
  std::optional<CodeLabel> destructor;
  bool isInterface = false;
  std::vector<uint32_t> interfaces;     // class indexes
  std::vector<MethodDef> methods;
  std::vector<EventHandlerDef> eventHandlers;
  std::vector<MenuHandlerDef> menuHandlers;
  std::vector<std::optional<CodeLabel>> vtable{std::nullopt};  // absent entry = 0
};

using PropertyPair = std::pair<std::string, std::string>;  // name, value (always text)

struct ControlDesc {
  int32_t classIndex = 0;
  std::vector<PropertyPair> properties;
};
struct BindingDesc {
  int32_t source = 0;
  std::string sourceText;
  int32_t target = 0;
  std::string targetText;
  int32_t classIndex = 0;
  std::string text1;
  std::string text2;
};
struct WindowDesc {
  int32_t classIndex = 0;  // the window's named kind-0 class
  std::vector<PropertyPair> properties;
  std::vector<ControlDesc> controls;
  std::vector<BindingDesc> bindings;
};

// Where AddWindow put a window: the description record (its length word), and the slot
// pair behind it (record pointer, then the implicit-instance variable).
struct WindowSlots {
  DataLabel record;
  DataLabel recordPointer;     // word holding the record's address after relocation
  DataLabel instanceVariable;  // 0 in the file; RuntimeCreateWindow stores the window here
};

struct MenuEntry {
  int32_t kind = 0;  // 0 item or menu, 1 application menu, 2 separator
  std::string text;
  std::string name;
  int32_t index = INT32_MIN;  // INT32_MIN = no index
  std::string key;
  std::string balloonHelp;
  std::string disabledBalloonHelp;
  uint8_t reserved = 0;
  int32_t classIndex = 0;
  std::vector<MenuEntry> children;  // a nested entry with children gets submenu flag 1
  bool submenu = false;             // forces the submenu flag (and a child count) on nested entries
};

struct PluginFile {
  std::string fileName;  // e.g. "bevel.dll", at most 255 bytes
  Bytes library;
};

// ---- Builder ---------------------------------------------------------------------------

class ImageBuilder {
 public:
  // data1 starts with its 8-byte head (entry pointer, application-descriptor pointer).
  ImageBuilder();

  // Labels.
  CodeLabel NewCodeLabel();
  DataLabel NewDataLabel();
  void BindCode(CodeLabel label);                   // at the current end of code1
  void BindCodeAt(CodeLabel label, uint32_t offset);
  void BindData(DataLabel label);                   // at the current end of data1
  void BindDataAt(DataLabel label, uint32_t offset);

  // code1.
  uint32_t CodeSize() const;
  uint32_t EmitCode(const Bytes& bytes);  // returns the offset of the first byte
  void AlignCode(uint32_t alignment, uint8_t fill = 0xCC);
  // E8 rel32 whose chain is linked to the named entry ("RuntimeInit", "!GBevelButton!Caption",
  // "!Xlibc.so.6!abs"). Returns the offset of the E8 byte.
  uint32_t EmitEntryCall(std::string_view entryName);
  // E8 rel32 to a label in code1 (resolved by Finish, needs no fix-up).
  uint32_t EmitLocalCall(CodeLabel target);
  // opcode byte(s) followed by a 32-bit word holding a data1 address (a code fix-up of
  // type 0x02): e.g. {0x68} push imm32, {0xB8} mov eax, imm32, {0xA1} mov eax,[moffs32].
  uint32_t EmitDataAddress(const Bytes& opcode, DataLabel target, int32_t addend = 0);
  // Adds a call site for an operand already emitted at operandOffset (after an 0xE8).
  void AddCallSite(uint32_t operandOffset, std::string_view entryName);
  // Declares that the code word at offset holds data1 offset target+addend (type 0x02).
  void AddCodeDataFixup(uint32_t offset, DataLabel target, int32_t addend = 0);
  // An entry name with no call sites still gets a link record (head 0).
  void DeclareEntry(std::string_view entryName);
  // A raw unknown byte in code2 (kept for testing readers; skipped by the loader).
  void AddRawLinkByte(uint8_t byte);

  // data1: raw words and pointers.
  uint32_t DataSize() const;
  uint32_t EmitData(const Bytes& bytes);
  uint32_t EmitWord(uint32_t value);
  uint32_t EmitDataPointer(DataLabel target, int32_t addend = 0);       // kind 0x4200
  uint32_t EmitCodePointer(CodeLabel target, CodeRunKind kind = CodeRunKind::kHandler);
  void AlignData(uint32_t alignment);

  // data1 records (each returns where it is; all pointers get their relocations).
  DataLabel AddStringLiteral(std::string_view text);  // label of the reference-count word
  // The literal record of text, its reference-count word bound to a label made earlier.
  void AddStringLiteralAt(DataLabel record, std::string_view text);
  uint32_t AddRuntimeClass(std::string_view name);    // kind 1; returns the class index
  uint32_t AddClass(const ClassDef& def);             // kind 0; returns the class index
  // A class index whose descriptor is written later (the class table keeps the order in
  // which indexes were reserved, whatever the order of the records in data1).
  uint32_t ReserveClass();
  void AddRuntimeClassAt(uint32_t index, std::string_view name);
  // names gives the literal record of each name the descriptor points to (class, method,
  // event and menu item names); by default a new literal is written just before it.
  using NameLiterals = DataLabel (*)(void* context, std::string_view name);
  void AddClassAt(uint32_t index, const ClassDef& def, NameLiterals names = nullptr, void* context = nullptr);
  WindowSlots AddWindow(const WindowDesc& window);
  // Slot labels to refer to before the record is written with AddWindowAt.
  WindowSlots NewWindowSlots();
  void AddWindowAt(const WindowSlots& slots, const WindowDesc& window);
  uint32_t AddMenuBar(const std::vector<MenuEntry>& topLevel);   // returns project item no.
  uint32_t AddProjectSettings(const Bytes& stream);              // kind 4, chain word 0
  uint32_t AddRawProjectItem(const Bytes& record);               // any other record, as is
  // Returns the first node; an empty list gives the invalid label {0}: pass 0 instead.
  DataLabel AddPluginList(const std::vector<PluginFile>& plugins);
  // Writes the class table and project item list (of everything added so far).
  DataLabel AddApplicationDescriptor();

  // Head of data1.
  void SetEntryFunction(CodeLabel entry);
  void SetApplicationDescriptor(DataLabel descriptor);

  // Resolves labels, writes code2 (data fix-ups first, then call links in first-use order)
  // and data2 (shortest encoding). Throws ImageError for an unbound label.
  Image Finish();

 private:
  struct CodeFixup {
    uint32_t offset;
    DataLabel target;
    int32_t addend;
  };
  struct LocalCall {
    uint32_t operand;
    CodeLabel target;
  };
  struct DataWord {
    uint32_t offset;
    uint16_t kind;  // 0x4000, 0x4200 or 0x4600
    uint32_t label;
    int32_t addend;
  };
  struct CallLink {
    std::string name;
    std::vector<uint32_t> operands;
  };

  DataLabel ReservedClass(uint32_t index) const;
  uint32_t CodeLabelOffset(CodeLabel label) const;
  uint32_t DataLabelOffset(DataLabel label) const;
  CallLink& LinkFor(std::string_view name);
  void EmitRecordStream(const Bytes& stream);

  Bytes code1_;
  Bytes data1_;
  std::vector<std::optional<uint32_t>> codeLabels_{std::nullopt};
  std::vector<std::optional<uint32_t>> dataLabels_{std::nullopt};
  std::vector<CodeFixup> codeFixups_;
  std::vector<LocalCall> localCalls_;
  std::vector<DataWord> dataWords_;
  std::vector<CallLink> links_;
  Bytes rawLinkBytes_;
  std::vector<DataLabel> classes_;
  std::vector<DataLabel> projectItems_;
};

// ---- Stream primitives of window descriptions and the menu bar ---------------------------

void AppendCompactInt(Bytes& out, int32_t value);
void AppendText(Bytes& out, std::string_view text);
Bytes EncodeWindowStream(const WindowDesc& window);
Bytes EncodeMenuBarStream(const std::vector<MenuEntry>& topLevel);

// Reads primitives at pos, advancing it; throws ImageError naming the offset past the end.
int32_t ReadCompactInt(const Bytes& in, size_t& pos);
std::string ReadText(const Bytes& in, size_t& pos);
WindowDesc DecodeWindowStream(const Bytes& stream);
std::vector<MenuEntry> DecodeMenuBarStream(const Bytes& stream);

// ---- Output ----------------------------------------------------------------------------

// code1.dat, code2.dat, data1.dat, data2.dat in dir (created if missing).
void WriteDatFiles(const Image& image, const std::string& dir);
// A copy of runtimeExe with the container appended and its .pickle section patched to the
// image's offset (resource-table word 0xFFFFFFFF). Made executable (mode 0755).
void WriteExecutable(const Image& image, const std::string& runtimeExe,
                     const std::string& outPath);
// Serialises the container: four length-prefixed blocks.
Bytes EncodeContainer(const Image& image);

// ---- Reading back ----------------------------------------------------------------------

struct PickleInfo {
  bool found = false;          // the executable has a .pickle section
  bool development = true;     // "PICK" (or missing): the .dat files are used
  uint32_t imageOffset = 0;
  uint32_t resourceOffset = 0xFFFFFFFF;
  uint32_t sectionFileOffset = 0;
};
PickleInfo ReadPickle(const Bytes& executable);

// A standalone executable (via its .pickle section) or a directory of .dat files.
Image ReadImageFile(const std::string& executable);
Image ReadImageDirectory(const std::string& dir);
// Parses a container at offset of bytes; throws ImageError naming the block.
Image DecodeContainer(const Bytes& bytes, size_t offset);

struct LinkRecord {
  uint32_t recordOffset = 0;     // in code2
  uint8_t type = 0;                // 0x01, 0x02, or an unknown byte
  uint32_t offset = 0;           // type 0x02: code1 offset; type 0x01: chain head
  std::string name;              // type 0x01
  std::vector<uint32_t> sites;   // type 0x01: operand offsets along the chain
  std::string chainError;        // non-empty when the chain leaves code1 or loops
};
std::vector<LinkRecord> DecodeLinkRecords(const Image& image);

struct RelocEntry {
  uint32_t entryOffset;  // in data2
  uint16_t raw;
  uint32_t cursor;       // data1 offset where it applies
  uint32_t words;        // for runs
  uint32_t skip;         // for skips
};
struct RelocationMap {
  std::vector<RelocEntry> entries;
  std::vector<std::pair<uint32_t, uint16_t>> words;  // (data1 offset, run kind), in order
  uint32_t skips = 0, dataRuns = 0, codeRuns4000 = 0, codeRuns4600 = 0, unknown = 0;
  uint32_t endCursor = 0;
  std::string error;  // run past the end of data1
};
RelocationMap DecodeRelocations(const Image& image);

// The decoded data1, as far as it can be found from the head and the relocations.
struct DecodedLiteral {
  uint32_t offset;  // of the reference-count word
  std::string text;
};
struct DecodedClass {
  uint32_t offset;
  uint32_t kind;
  std::string name;  // "" for anonymous
  int32_t superclass = -1;
  uint32_t instanceSize = 0;
  bool isInterface = false;
  std::optional<uint32_t> constructor, destructor;  // code1 offsets
  std::vector<uint32_t> interfaces;
  std::vector<std::pair<std::string, uint32_t>> methods;
  struct Handler {
    std::string name;
    uint32_t code;
    uint32_t key;
  };
  std::vector<Handler> eventHandlers;
  std::vector<std::pair<std::string, uint32_t>> menuHandlers;
  std::vector<uint32_t> vtable;
};
struct DecodedWindow {
  uint32_t offset;  // of the length word
  WindowDesc desc;
};
struct DecodedProjectItem {
  uint32_t offset;
  uint32_t kind;
  Bytes stream;                    // kinds 2 and 4
  std::vector<MenuEntry> menu;     // kind 2
};
struct DecodedPlugin {
  uint32_t offset;
  std::string fileName;
  uint32_t length;
};
struct DecodedData {
  uint32_t entryFunction = 0;        // code1 offset
  uint32_t applicationDescriptor = 0;
  std::vector<DecodedLiteral> literals;
  std::vector<DecodedClass> classes;
  std::vector<DecodedWindow> windows;
  std::vector<DecodedProjectItem> projectItems;
  std::vector<DecodedPlugin> plugins;
  std::vector<std::string> problems;  // "data1+0x...: ..." for records that could not be read
};
DecodedData DecodeData(const Image& image);

}  // namespace imagekit
