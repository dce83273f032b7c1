// Printing an image the way readelf prints ELF files: blocks, link records, relocation
// statistics, the decoded data1 and, optionally, each function's disassembly.
// Entry point: DumpImage.
#pragma once
#include <cstdio>
#include <string>

#include "tools/imagekit/imagekit.h"

struct DumpOptions {
  bool disassemble = false;
  bool summary = false;
};

// Prints everything it can; returns false when a block was too damaged to be read whole
// (the problem is printed with its block and offset).
bool DumpImage(const imagekit::Image& image, const std::string& origin, const DumpOptions& options,
               FILE* out);
// The image's figures only, one per line (summary.cpp); false when a block is damaged.
bool PrintSummary(const imagekit::Image& image, FILE* out);
