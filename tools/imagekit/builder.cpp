// ImageBuilder: lays out code1 and data1 as the compiler emits them, remembers every call
// site, code fix-up and relocated data word, and turns them into code2 and data2 in
// Finish(). Labels let code and data refer to positions that are bound later.
#include <algorithm>
#include <cstring>

#include "tools/imagekit/imagekit.h"

namespace imagekit {
namespace {

constexpr uint32_t kMaxRunWords = 512;
constexpr uint32_t kMaxSkip = 4096;

void PutU32(Bytes& bytes, uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
}

void AppendU32(Bytes& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

std::string Hex(uint32_t v) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

}  // namespace

ImageBuilder::ImageBuilder() { data1_.assign(8, 0); }

CodeLabel ImageBuilder::NewCodeLabel() {
  codeLabels_.push_back(std::nullopt);
  return CodeLabel{uint32_t(codeLabels_.size() - 1)};
}

DataLabel ImageBuilder::NewDataLabel() {
  dataLabels_.push_back(std::nullopt);
  return DataLabel{uint32_t(dataLabels_.size() - 1)};
}

void ImageBuilder::BindCode(CodeLabel label) { BindCodeAt(label, CodeSize()); }

void ImageBuilder::BindCodeAt(CodeLabel label, uint32_t offset) {
  if (label.id == 0 || label.id >= codeLabels_.size()) throw ImageError("invalid code label");
  codeLabels_[label.id] = offset;
}

void ImageBuilder::BindData(DataLabel label) { BindDataAt(label, DataSize()); }

void ImageBuilder::BindDataAt(DataLabel label, uint32_t offset) {
  if (label.id == 0 || label.id >= dataLabels_.size()) throw ImageError("invalid data label");
  dataLabels_[label.id] = offset;
}

uint32_t ImageBuilder::CodeLabelOffset(CodeLabel label) const {
  if (label.id == 0 || label.id >= codeLabels_.size() || !codeLabels_[label.id])
    throw ImageError("code label " + std::to_string(label.id) + " is never bound");
  return *codeLabels_[label.id];
}

uint32_t ImageBuilder::DataLabelOffset(DataLabel label) const {
  if (label.id == 0 || label.id >= dataLabels_.size() || !dataLabels_[label.id])
    throw ImageError("data label " + std::to_string(label.id) + " is never bound");
  return *dataLabels_[label.id];
}

// ---- code1 ----

uint32_t ImageBuilder::CodeSize() const { return uint32_t(code1_.size()); }

uint32_t ImageBuilder::EmitCode(const Bytes& bytes) {
  uint32_t at = CodeSize();
  code1_.insert(code1_.end(), bytes.begin(), bytes.end());
  return at;
}

void ImageBuilder::AlignCode(uint32_t alignment, uint8_t fill) {
  while (alignment > 1 && code1_.size() % alignment != 0) code1_.push_back(fill);
}

ImageBuilder::CallLink& ImageBuilder::LinkFor(std::string_view name) {
  if (name.empty() || name.size() > 255)
    throw ImageError("entry name must have 1 to 255 characters: \"" + std::string(name) + "\"");
  for (CallLink& link : links_)
    if (link.name == name) return link;
  links_.push_back(CallLink{std::string(name), {}});
  return links_.back();
}

uint32_t ImageBuilder::EmitEntryCall(std::string_view entryName) {
  uint32_t at = EmitCode({0xE8, 0, 0, 0, 0});  // call rel32 (chain operand filled by Finish)
  AddCallSite(at + 1, entryName);
  return at;
}

uint32_t ImageBuilder::EmitLocalCall(CodeLabel target) {
  uint32_t at = EmitCode({0xE8, 0, 0, 0, 0});  // call rel32
  localCalls_.push_back(LocalCall{at + 1, target});
  return at;
}

uint32_t ImageBuilder::EmitDataAddress(const Bytes& opcode, DataLabel target, int32_t addend) {
  uint32_t at = EmitCode(opcode);
  uint32_t word = EmitCode({0, 0, 0, 0});
  AddCodeDataFixup(word, target, addend);
  return at;
}

void ImageBuilder::AddCallSite(uint32_t operandOffset, std::string_view entryName) {
  if (operandOffset == 0 || uint64_t(operandOffset) + 4 > code1_.size())
    throw ImageError("call site operand at code1+" + Hex(operandOffset) +
                     " is not inside the emitted code (offset 0 cannot start a chain)");
  LinkFor(entryName).operands.push_back(operandOffset);
}

void ImageBuilder::AddCodeDataFixup(uint32_t offset, DataLabel target, int32_t addend) {
  if (uint64_t(offset) + 4 > code1_.size())
    throw ImageError("data fix-up at code1+" + Hex(offset) + " is past the emitted code");
  codeFixups_.push_back(CodeFixup{offset, target, addend});
}

void ImageBuilder::DeclareEntry(std::string_view entryName) { LinkFor(entryName); }

void ImageBuilder::AddRawLinkByte(uint8_t byte) { rawLinkBytes_.push_back(byte); }

// ---- data1 ----

uint32_t ImageBuilder::DataSize() const { return uint32_t(data1_.size()); }

uint32_t ImageBuilder::EmitData(const Bytes& bytes) {
  uint32_t at = DataSize();
  data1_.insert(data1_.end(), bytes.begin(), bytes.end());
  return at;
}

uint32_t ImageBuilder::EmitWord(uint32_t value) {
  uint32_t at = DataSize();
  AppendU32(data1_, value);
  return at;
}

uint32_t ImageBuilder::EmitDataPointer(DataLabel target, int32_t addend) {
  uint32_t at = EmitWord(0);
  dataWords_.push_back(DataWord{at, kDataRun, target.id, addend});
  return at;
}

uint32_t ImageBuilder::EmitCodePointer(CodeLabel target, CodeRunKind kind) {
  uint32_t at = EmitWord(0);
  dataWords_.push_back(DataWord{at, uint16_t(kind), target.id, 0});
  return at;
}

void ImageBuilder::AlignData(uint32_t alignment) {
  while (alignment > 1 && data1_.size() % alignment != 0) data1_.push_back(0);
}

void ImageBuilder::SetEntryFunction(CodeLabel entry) {
  dataWords_.push_back(DataWord{0, uint16_t(CodeRunKind::kEntry), entry.id, 0});
}

void ImageBuilder::SetApplicationDescriptor(DataLabel descriptor) {
  dataWords_.push_back(DataWord{4, kDataRun, descriptor.id, 0});
}

// ---- Finish ----

namespace {

void AppendSkip(Bytes& data2, uint32_t gap) {
  while (gap > 0) {
    uint32_t step = std::min(gap, kMaxSkip);
    uint16_t entry = uint16_t(0x8000 | (step - 1));
    data2.push_back(uint8_t(entry));
    data2.push_back(uint8_t(entry >> 8));
    gap -= step;
  }
}

void AppendRun(Bytes& data2, uint16_t kind, uint32_t words) {
  uint16_t entry = uint16_t(kind | (words - 1));
  data2.push_back(uint8_t(entry));
  data2.push_back(uint8_t(entry >> 8));
}

}  // namespace

Image ImageBuilder::Finish() {
  Image image;
  image.code1 = code1_;
  image.data1 = data1_;

  for (const LocalCall& call : localCalls_) {
    uint32_t target = CodeLabelOffset(call.target);
    PutU32(image.code1, call.operand, target - (call.operand + 4));
  }
  for (const CodeFixup& fix : codeFixups_) {
    PutU32(image.code1, fix.offset, DataLabelOffset(fix.target) + uint32_t(fix.addend));
    image.code2.push_back(0x02);
    AppendU32(image.code2, fix.offset);
  }
  for (const CallLink& link : links_) {
    // Thread the chain: each operand holds the next operand's offset, the last holds 0.
    uint32_t head = 0;
    for (size_t i = link.operands.size(); i-- > 0;) {
      PutU32(image.code1, link.operands[i], head);
      head = link.operands[i];
    }
    image.code2.push_back(0x01);
    AppendU32(image.code2, head);
    image.code2.push_back(uint8_t(link.name.size()));
    image.code2.insert(image.code2.end(), link.name.begin(), link.name.end());
  }
  image.code2.insert(image.code2.end(), rawLinkBytes_.begin(), rawLinkBytes_.end());

  std::vector<DataWord> words = dataWords_;
  std::stable_sort(words.begin(), words.end(),
                   [](const DataWord& a, const DataWord& b) { return a.offset < b.offset; });
  for (size_t i = 1; i < words.size(); ++i)
    if (words[i].offset < words[i - 1].offset + 4)
      throw ImageError("relocated words overlap at data1+" + Hex(words[i].offset));
  for (const DataWord& w : words) {
    uint32_t value = w.kind == kDataRun ? DataLabelOffset(DataLabel{w.label})
                                        : CodeLabelOffset(CodeLabel{w.label});
    PutU32(image.data1, w.offset, value + uint32_t(w.addend));
  }

  uint32_t cursor = 0;
  for (size_t i = 0; i < words.size();) {
    size_t j = i + 1;
    while (j < words.size() && j - i < kMaxRunWords && words[j].kind == words[i].kind &&
           words[j].offset == words[j - 1].offset + 4)
      ++j;
    AppendSkip(image.data2, words[i].offset - cursor);
    AppendRun(image.data2, words[i].kind, uint32_t(j - i));
    cursor = words[j - 1].offset + 4;
    i = j;
  }
  return image;
}

}  // namespace imagekit
