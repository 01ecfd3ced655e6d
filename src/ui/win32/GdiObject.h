// Owns one GDI object (pen, brush, font, bitmap) and deletes it once.
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

}  // namespace vireo
