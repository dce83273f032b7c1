// Reading the four blocks of an image: from the container appended to an executable
// (four length-prefixed blocks back to back at the image offset) or, in development mode,
// from code1.dat, data1.dat, code2.dat and data2.dat. Every length is checked against what
// the file still holds before anything is allocated. code1 goes into a code block
// (runtime/image/codememory.h), the others into malloc'd memory.
// Entry points: ReadContainerFile, ReadContainerBytes, ReadDevelopmentFiles.
#pragma once
#include <cstddef>
#include <string>

#include "runtime/image/blocks.h"

// On failure the message is complete (ready for the message box) and no block is kept.
bool ReadContainerFile(const char* path, uint32_t imageOffset, ImageBlocks& blocks,
                       std::string& message);
// The same over a file image in memory (used by the fuzz target).
bool ReadContainerBytes(const uint8_t* file, size_t fileSize, uint32_t imageOffset,
                        ImageBlocks& blocks, std::string& message);
// Reads the four files from directory dir ("" = the current directory).
bool ReadDevelopmentFiles(const std::string& dir, ImageBlocks& blocks, std::string& message);
// Frees blocks of an image that was refused (code1 was not sealed yet).
void DiscardBlocks(ImageBlocks& blocks);
