// The linker: processes the link records of code2 against code1. Type 0x02 adds the
// address of data1 to a code word; type 0x01 threads a call chain through code1 and makes
// every site call the routine its name designates; other bytes are skipped one at a time.
// Every offset comes from the file, so each chain is walked and checked (inside code1, no
// loop, no operand overlapping another record's word) before anything of it is written.
// Entry points: LinkCode, PatchChain.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/image/blocks.h"

// Where the names of call links lead. The loader's implementation uses the EntryTable, the
// dynamic loader and the deferred-link list; tests and the fuzz target supply their own.
class LinkTargets {
 public:
  virtual ~LinkTargets() = default;
  // A plain entry name; nil when the table has no such entry.
  virtual void* FindEntry(const char* name) = 0;
  // A routine that reports the unknown name when called (so that no site jumps into
  // garbage); nil when even that cannot be made.
  virtual void* MissingEntry(const char* name) = 0;
  // "!X" links: the routine, or nil with the complete failure message set.
  virtual void* FindLibraryRoutine(const char* library, const char* routine,
                                   std::string& message) = 0;
  // Other "!" links, given without their leading "!": resolved after the plug-ins load.
  virtual void Defer(const char* name, uint32_t head) = 0;
};

// Walks code2; true when the whole block was processed. On failure message is complete and
// later records are left unprocessed.
bool LinkCode(ImageBlock code1, ImageBlock code2, uintptr_t data1Address, LinkTargets& targets,
              std::string& message);

// Which code1 bytes a record already writes (one byte flag per code1 byte; calloc'd, so the
// pages of a large code1 cost nothing until touched).
class ClaimMap {
 public:
  explicit ClaimMap(uint32_t size);
  ~ClaimMap();
  ClaimMap(const ClaimMap&) = delete;
  ClaimMap& operator=(const ClaimMap&) = delete;
  bool ok() const { return flags_ != nullptr; }
  // Claims the 4 bytes at offset (inside the block); false when any of them was claimed.
  bool ClaimWord(uint32_t offset);

 private:
  uint8_t* flags_;
};

// Makes every site of a chain (already checked) call target.
void PatchChain(ImageBlock code1, uint32_t head, const void* target);
// Checks a chain without writing: every site inside code1, no loop, no operand overlapping
// another. Operand bytes are claimed in seen (made for code1's size) so that no two records
// can write the same bytes.
// Returns "" or what is wrong.
std::string CheckChain(ImageBlock code1, uint32_t head, ClaimMap& seen);
