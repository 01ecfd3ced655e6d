#include "platform/win32/CommApi.h"

namespace vireo {

HANDLE CommApi::CreateFileA(const char* name, DWORD access, DWORD share,
                            SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                            HANDLE templateFile) {
  return ::CreateFileA(name, access, share, security, disposition, flags, templateFile);
}

BOOL CommApi::SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) {
  return ::SetupComm(port, inQueue, outQueue);
}

BOOL CommApi::GetCommState(HANDLE port, DCB* dcb) { return ::GetCommState(port, dcb); }

BOOL CommApi::SetCommState(HANDLE port, DCB* dcb) { return ::SetCommState(port, dcb); }

BOOL CommApi::PurgeComm(HANDLE port, DWORD flags) { return ::PurgeComm(port, flags); }

BOOL CommApi::EscapeCommFunction(HANDLE port, DWORD function) {
  return ::EscapeCommFunction(port, function);
}

BOOL CommApi::GetCommModemStatus(HANDLE port, DWORD* status) {
  return ::GetCommModemStatus(port, status);
}

BOOL CommApi::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }

BOOL CommApi::SetCommMask(HANDLE port, DWORD mask) { return ::SetCommMask(port, mask); }

BOOL CommApi::WaitCommEvent(HANDLE port, DWORD* events, OVERLAPPED* overlapped) {
  return ::WaitCommEvent(port, events, overlapped);
}

BOOL CommApi::GetOverlappedResult(HANDLE port, OVERLAPPED* overlapped, DWORD* size, BOOL wait) {
  return ::GetOverlappedResult(port, overlapped, size, wait);
}

BOOL CommApi::CancelIo(HANDLE port) { return ::CancelIo(port); }

HANDLE CommApi::CreateEventA(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState,
                             const char* name) {
  return ::CreateEventA(security, manualReset, initialState, name);
}

BOOL CommApi::SetEvent(HANDLE event) { return ::SetEvent(event); }

DWORD CommApi::WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL all,
                                      DWORD timeoutMs) {
  return ::WaitForMultipleObjects(count, objects, all, timeoutMs);
}

CommApi& CommApi::Real() {
  static CommApi real;
  return real;
}

}  // namespace vireo
