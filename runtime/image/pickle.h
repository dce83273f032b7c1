// The locating resource: 8 bytes in the runtime executable's own ".pickle" section that
// say where the appended application image (and its resource table) starts in the file.
// A bare runtime holds "PICK" and 0xFFFFFFFF there and so runs in development mode. The
// image kit patches the section's bytes in the file (at its sh_offset) when it appends an
// image. Entry point: ReadLocatingResource.
#pragma once
#include <cstdint>

struct LocatingResource {
  uint32_t imageOffset;     // 0: development mode (the four .dat files)
  uint32_t resourceOffset;  // file offset of the resource table; 0xFFFFFFFF: none
};

constexpr uint32_t kNoResourceTable = 0xFFFFFFFF;

// Interprets the 8 resource bytes: "PICK" first means development mode.
LocatingResource DecodeLocatingResource(const uint8_t bytes[8]);
// The resource compiled into this executable (patched in the file by the image kit).
LocatingResource ReadLocatingResource();
