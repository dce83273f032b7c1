// Writing images: the container (four length-prefixed blocks), the four development files,
// and standalone executables (runtime copy + appended container + patched .pickle section).
// Also ReadPickle, which finds that section in an ELF32 file.
#include <elf.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "tools/imagekit/imagekit.h"

namespace imagekit {
namespace {

void AppendU32(Bytes& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

uint32_t GetU32(const Bytes& bytes, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | bytes[offset + i];
  return v;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) throw ImageError(path + ": cannot be written");
}

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ImageError(path + ": cannot be opened");
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return bytes;
}

}  // namespace

Bytes EncodeContainer(const Image& image) {
  Bytes out;
  for (const Bytes* block : {&image.code1, &image.code2, &image.data1, &image.data2}) {
    AppendU32(out, uint32_t(block->size()));
    out.insert(out.end(), block->begin(), block->end());
  }
  return out;
}

void WriteDatFiles(const Image& image, const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw ImageError(dir + ": cannot create directory: " + ec.message());
  WriteFile(dir + "/code1.dat", image.code1);
  WriteFile(dir + "/code2.dat", image.code2);
  WriteFile(dir + "/data1.dat", image.data1);
  WriteFile(dir + "/data2.dat", image.data2);
}

PickleInfo ReadPickle(const Bytes& exe) {
  PickleInfo info;
  if (exe.size() < sizeof(Elf32_Ehdr) || memcmp(exe.data(), ELFMAG, SELFMAG) != 0 ||
      exe[EI_CLASS] != ELFCLASS32)
    throw ImageError("not a 32-bit ELF executable");
  Elf32_Ehdr eh;
  memcpy(&eh, exe.data(), sizeof eh);
  uint64_t tableEnd = uint64_t(eh.e_shoff) + uint64_t(eh.e_shnum) * sizeof(Elf32_Shdr);
  if (eh.e_shentsize != sizeof(Elf32_Shdr) || tableEnd > exe.size() || eh.e_shstrndx >= eh.e_shnum)
    throw ImageError("the executable's section table is damaged");
  auto section = [&](size_t i) {
    Elf32_Shdr sh;
    memcpy(&sh, exe.data() + eh.e_shoff + i * sizeof(Elf32_Shdr), sizeof sh);
    return sh;
  };
  Elf32_Shdr names = section(eh.e_shstrndx);
  for (size_t i = 0; i < eh.e_shnum; ++i) {
    Elf32_Shdr sh = section(i);
    uint64_t nameAt = uint64_t(names.sh_offset) + sh.sh_name;
    if (nameAt + 8 > exe.size() || memcmp(exe.data() + nameAt, ".pickle", 8) != 0) continue;
    if (sh.sh_size < 8 || uint64_t(sh.sh_offset) + 8 > exe.size())
      throw ImageError("the executable's .pickle section is damaged");
    info.found = true;
    info.sectionFileOffset = sh.sh_offset;
    info.development = memcmp(exe.data() + sh.sh_offset, "PICK", 4) == 0;
    if (!info.development) {
      info.imageOffset = GetU32(exe, sh.sh_offset);
      info.resourceOffset = GetU32(exe, sh.sh_offset + 4);
    }
    return info;
  }
  return info;
}

void WriteExecutable(const Image& image, const std::string& runtimeExe,
                     const std::string& outPath) {
  Bytes exe = ReadWholeFile(runtimeExe);
  PickleInfo pickle = ReadPickle(exe);
  if (!pickle.found) throw ImageError(runtimeExe + ": has no .pickle section");
  if (!pickle.development)
    throw ImageError(runtimeExe + ": already carries an image (not a bare runtime)");
  uint32_t imageOffset = uint32_t(exe.size());
  Bytes word;
  AppendU32(word, imageOffset);
  AppendU32(word, 0xFFFFFFFF);  // no resource table
  std::copy(word.begin(), word.end(), exe.begin() + pickle.sectionFileOffset);
  Bytes container = EncodeContainer(image);
  exe.insert(exe.end(), container.begin(), container.end());
  WriteFile(outPath, exe);
  if (chmod(outPath.c_str(), 0755) != 0) throw ImageError(outPath + ": cannot be made executable");
}

Image ReadImageDirectory(const std::string& dir) {
  Image image;
  image.code1 = ReadWholeFile(dir + "/code1.dat");
  image.code2 = ReadWholeFile(dir + "/code2.dat");
  image.data1 = ReadWholeFile(dir + "/data1.dat");
  image.data2 = ReadWholeFile(dir + "/data2.dat");
  return image;
}

Image DecodeContainer(const Bytes& bytes, size_t offset) {
  static const char* const kNames[] = {"code1", "code2", "data1", "data2"};
  Image image;
  Bytes* blocks[] = {&image.code1, &image.code2, &image.data1, &image.data2};
  size_t pos = offset;
  for (int i = 0; i < 4; ++i) {
    if (pos > bytes.size() || bytes.size() - pos < 4)
      throw ImageError(std::string(kNames[i]) + ": length word missing at file offset " +
                       std::to_string(pos));
    uint32_t length = GetU32(bytes, pos);
    pos += 4;
    if (length > bytes.size() - pos)
      throw ImageError(std::string(kNames[i]) + ": length " + std::to_string(length) +
                       " is larger than the " + std::to_string(bytes.size() - pos) +
                       " bytes left in the file");
    blocks[i]->assign(bytes.begin() + pos, bytes.begin() + pos + length);
    pos += length;
  }
  return image;
}

Image ReadImageFile(const std::string& executable) {
  Bytes exe = ReadWholeFile(executable);
  PickleInfo pickle = ReadPickle(exe);
  if (!pickle.found) throw ImageError(executable + ": has no .pickle section");
  if (pickle.development)
    throw ImageError(executable + ": is a bare runtime (development mode, no image appended)");
  return DecodeContainer(exe, pickle.imageOffset);
}

}  // namespace imagekit
