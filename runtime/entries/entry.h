// AMX_ENTRY marks a routine that compiled image code calls by name. Image code keeps the
// stack only 4-byte aligned and expects the C calling convention (cdecl, caller pops,
// EAX/ST0 results), so every entry realigns its own frame, is never inlined away, and keeps
// C linkage under exactly its entry name. Entries are noexcept: a C++ exception must never
// unwind into image frames.
#pragma once

#define AMX_ENTRY                                                                          \
  extern "C" __attribute__((cdecl, force_align_arg_pointer, noinline, used,              \
                            visibility("default")))

// A Boolean coming from image code is one byte that may hold any non-zero value for true.
using ImageBool = unsigned char;
