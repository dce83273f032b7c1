// Container reading over a small byte-source abstraction, so that the executable file and a
// buffer in memory share one checked path.
#include "runtime/image/container.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/image/codememory.h"

namespace {

const char* const kBlockNames[4] = {"code1", "code2", "data1", "data2"};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads exactly n bytes at offset, or returns false.
  virtual bool Read(uint64_t offset, void* into, size_t n) = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, void* into, size_t n) override {
    if (offset > size_ || n > size_ - offset) return false;
    if (n) memcpy(into, bytes_ + offset, n);
    return true;
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(FILE* file) : file_(file) {
    if (fseeko(file_, 0, SEEK_END) == 0) size_ = uint64_t(ftello(file_));
  }
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, void* into, size_t n) override {
    if (offset > size_ || n > size_ - offset) return false;
    if (fseeko(file_, off_t(offset), SEEK_SET) != 0) return false;
    return fread(into, 1, n, file_) == n;
  }

 private:
  FILE* file_;
  uint64_t size_ = 0;
};

uint8_t* AllocateBlock(int index, uint32_t size) {
  if (index == 0) return AllocateCodeBlock(size);
  return static_cast<uint8_t*>(malloc(size == 0 ? 1 : size));
}

void FreeBlock(int index, ImageBlock& block) {
  if (block.bytes == nullptr) return;
  if (index == 0) ReleaseCodeBlock(block.bytes, block.size);
  else free(block.bytes);
  block = ImageBlock{nullptr, 0};
}

ImageBlock* BlockAt(ImageBlocks& blocks, int index) {
  ImageBlock* order[4] = {&blocks.code1, &blocks.code2, &blocks.data1, &blocks.data2};
  return order[index];
}

// One block: its length word, the check against the rest of the file, then its bytes.
bool ReadBlock(ByteSource& source, uint64_t& position, int index, ImageBlock& block,
               std::string& message) {
  uint8_t word[4];
  if (!source.Read(position, word, 4)) {
    message = DamagedImageMessage("the " + std::string(kBlockNames[index]) +
                                  " length word at file offset " + HexNumber(position) +
                                  " is past the end of the file");
    return false;
  }
  uint32_t length = uint32_t(word[0]) | uint32_t(word[1]) << 8 | uint32_t(word[2]) << 16 |
                    uint32_t(word[3]) << 24;
  position += 4;
  uint64_t left = source.Size() - position;
  if (length > left) {
    message = DamagedImageMessage("the " + std::string(kBlockNames[index]) + " block at file offset " +
                                  HexNumber(position - 4) + " has length " + HexNumber(length) +
                                  " but only " + HexNumber(left) + " bytes remain in the file");
    return false;
  }
  block.bytes = AllocateBlock(index, length);
  block.size = length;
  if (block.bytes == nullptr) {
    message = "The application could not be loaded because there is not enough memory for its " +
              std::string(kBlockNames[index]) + " block.";
    return false;
  }
  if (!source.Read(position, block.bytes, length)) {
    message = DamagedImageMessage("the " + std::string(kBlockNames[index]) + " block at file offset " +
                                  HexNumber(position) + " could not be read");
    return false;
  }
  position += length;
  return true;
}

bool ReadContainer(ByteSource& source, uint32_t imageOffset, ImageBlocks& blocks,
                   std::string& message) {
  blocks = ImageBlocks{};
  uint64_t position = imageOffset;
  if (position > source.Size()) {
    message = DamagedImageMessage("the image offset " + HexNumber(imageOffset) +
                                  " is past the end of the file");
    return false;
  }
  for (int i = 0; i < 4; ++i) {
    if (!ReadBlock(source, position, i, *BlockAt(blocks, i), message)) {
      DiscardBlocks(blocks);
      return false;
    }
  }
  return true;
}

}  // namespace

void DiscardBlocks(ImageBlocks& blocks) {
  for (int i = 0; i < 4; ++i) FreeBlock(i, *BlockAt(blocks, i));
}

bool ReadContainerBytes(const uint8_t* file, size_t fileSize, uint32_t imageOffset,
                        ImageBlocks& blocks, std::string& message) {
  MemorySource source(file, fileSize);
  return ReadContainer(source, imageOffset, blocks, message);
}

bool ReadContainerFile(const char* path, uint32_t imageOffset, ImageBlocks& blocks,
                       std::string& message) {
  FILE* file = fopen(path, "rb");
  if (file == nullptr) {
    message = "The application could not be loaded because its own file " + std::string(path) +
              " could not be opened.";
    return false;
  }
  FileSource source(file);
  bool ok = ReadContainer(source, imageOffset, blocks, message);
  fclose(file);
  return ok;
}

bool ReadDevelopmentFiles(const std::string& dir, ImageBlocks& blocks, std::string& message) {
  // The files are read in this order; the blocks keep their own order.
  static const int kFileOrder[4] = {0, 2, 1, 3};
  blocks = ImageBlocks{};
  for (int index : kFileOrder) {
    std::string name = std::string(kBlockNames[index]) + ".dat";
    std::string path = dir.empty() ? name : dir + "/" + name;
    FILE* file = fopen(path.c_str(), "rb");
    bool ok = file != nullptr;
    if (ok) {
      FileSource source(file);
      uint64_t size = source.Size();
      ImageBlock& block = *BlockAt(blocks, index);
      ok = size <= 0xFFFFFFFFu && (block.bytes = AllocateBlock(index, uint32_t(size))) != nullptr;
      block.size = ok ? uint32_t(size) : 0;
      ok = ok && source.Read(0, block.bytes, size_t(size));
      fclose(file);
    }
    if (!ok) {
      message = "The application could not be loaded because the image file " + name +
                " could not be read.";
      DiscardBlocks(blocks);
      return false;
    }
  }
  return true;
}
