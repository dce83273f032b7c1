// The relocator: applies the 16-bit entries of data2 to data1. A cursor starts at data1's
// first byte; skips advance it, runs add the address of code1 or data1 to consecutive
// words, unknown entries are ignored. A run that would pass the end of data1 refuses the
// image. Entry point: ApplyRelocations.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/image/blocks.h"

// Returns true when every entry was applied; otherwise message is complete.
bool ApplyRelocations(ImageBlock data1, ImageBlock data2, uintptr_t code1Address,
                      uintptr_t data1Address, std::string& message);
