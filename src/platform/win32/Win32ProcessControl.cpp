#include "platform/win32/Win32ProcessControl.h"

#include <process.h>
#include <windows.h>

#include <memory>
#include <utility>

#include "platform/win32/UniqueHandle.h"

namespace vireo {
namespace {

DWORD ToWindowsClass(PriorityClass priority) {
  switch (priority) {
    case PriorityClass::Idle:
      return IDLE_PRIORITY_CLASS;
    case PriorityClass::Normal:
      return NORMAL_PRIORITY_CLASS;
    case PriorityClass::Realtime:
      return REALTIME_PRIORITY_CLASS;
    case PriorityClass::High:
      break;
  }
  return HIGH_PRIORITY_CLASS;
}

using Body = std::function<void()>;

unsigned __stdcall RunBody(void* argument) {
  std::unique_ptr<Body> body(static_cast<Body*>(argument));
  (*body)();
  return 0;
}

}  // namespace

bool Win32ProcessControl::SetPriorityClass(PriorityClass priority) {
  return ::SetPriorityClass(::GetCurrentProcess(), ToWindowsClass(priority)) != 0;
}

bool Win32ProcessControl::StartTimeCriticalThread(std::function<void()> body) {
  if (!body) return false;
  auto owned = std::make_unique<Body>(std::move(body));
  // Through the C runtime, since the body uses it; created suspended so that
  // it runs at its priority from its first instruction.
  UniqueKernelHandle thread(reinterpret_cast<HANDLE>(
      _beginthreadex(nullptr, 0, &RunBody, owned.get(), CREATE_SUSPENDED, nullptr)));
  if (!thread) return false;
  owned.release();  // the thread deletes it when the body returns
  // A thread that cannot be raised still runs, at normal priority.
  ::SetThreadPriority(thread.Get(), THREAD_PRIORITY_TIME_CRITICAL);
  // Nobody joins the thread: its handle is closed on the way out.
  return ::ResumeThread(thread.Get()) != static_cast<DWORD>(-1);
}

}  // namespace vireo
