// The Windows calls that drive a serial port, one virtual method each, so
// that a test can stand in for the port and see every argument. The base
// class makes the real calls.
#pragma once

#include <windows.h>

namespace vireo {

class CommApi {
 public:
  virtual ~CommApi() = default;

  virtual HANDLE CreateFileA(const char* name, DWORD access, DWORD share,
                             SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                             HANDLE templateFile);
  virtual BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue);
  virtual BOOL GetCommState(HANDLE port, DCB* dcb);
  virtual BOOL SetCommState(HANDLE port, DCB* dcb);
  virtual BOOL PurgeComm(HANDLE port, DWORD flags);
  virtual BOOL EscapeCommFunction(HANDLE port, DWORD function);
  virtual BOOL GetCommModemStatus(HANDLE port, DWORD* status);
  virtual BOOL CloseHandle(HANDLE handle);

  // The instance that calls Windows; it has no state of its own.
  static CommApi& Real();
};

}  // namespace vireo
