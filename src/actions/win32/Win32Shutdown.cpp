#include "actions/win32/Win32Shutdown.h"

#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace vireo {

namespace {
void EnableShutdownPrivilege() {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) {
    return;
  }
  UniqueKernelHandle token(raw);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
    return;
  // A refusal shows in the request's own result.
  ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}
}  // namespace

bool Win32Shutdown::RequestShutdown() {
  EnableShutdownPrivilege();
  return ::ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0) != 0;
}

}  // namespace vireo
