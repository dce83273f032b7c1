// The four blocks of an application image once read into memory, and the one message form
// every refusal of a damaged image uses. Offsets in messages are hexadecimal.
#pragma once
#include <cstdint>
#include <string>

struct ImageBlock {
  uint8_t* bytes;
  uint32_t size;
};

// code1: machine code (executable memory), code2: link records, data1: the application's
// data, data2: relocation entries for data1.
struct ImageBlocks {
  ImageBlock code1;
  ImageBlock code2;
  ImageBlock data1;
  ImageBlock data2;
};

// "The application could not be loaded because its image is damaged: " + detail.
std::string DamagedImageMessage(const std::string& detail);
// "0x1F3" (upper-case hexadecimal digits).
std::string HexNumber(uint64_t value);
