// Owns one GDI object (pen, brush, font, bitmap) or memory DC and deletes it
// once.
#pragma once

#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace vireo {

struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ object) { ::DeleteObject(object); }
};
using GdiObject = UniqueHandle<GdiObjectTraits>;

// A memory device context, released with DeleteDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static HDC Invalid() { return nullptr; }
  static void Close(HDC dc) { ::DeleteDC(dc); }
};
using MemoryDc = UniqueHandle<MemoryDcTraits>;

}  // namespace vireo
