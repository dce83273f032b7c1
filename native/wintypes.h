// The basic Win32 integer and handle types, shared by every header of the native layer.
// Both native/win32.h and native/mmsystem.h include this file, so each type is defined
// exactly once; add new basic types here rather than in either of them.
#pragma once

#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using BOOL = int32_t;
using UINT_PTR = uint32_t;
using LONG_PTR = int32_t;
using DWORD_PTR = uint32_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using HANDLE = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

static_assert(sizeof(DWORD) == 4 && sizeof(WPARAM) == 4 && sizeof(LPARAM) == 4,
              "the native layer mirrors the 32-bit Win32 ABI");
static_assert(sizeof(HANDLE) == 4, "handles are 32-bit on i386");
