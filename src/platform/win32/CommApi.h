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

  // Waiting for a change of CTS: the port's event mask, the overlapped wait
  // on it, and the events that end a wait.
  virtual BOOL SetCommMask(HANDLE port, DWORD mask);
  virtual BOOL WaitCommEvent(HANDLE port, DWORD* events, OVERLAPPED* overlapped);
  virtual BOOL GetOverlappedResult(HANDLE port, OVERLAPPED* overlapped, DWORD* size, BOOL wait);
  virtual BOOL CancelIo(HANDLE port);
  virtual HANDLE CreateEventA(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState,
                              const char* name);
  virtual BOOL SetEvent(HANDLE event);
  virtual DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL all,
                                       DWORD timeoutMs);

  // The instance that calls Windows; it has no state of its own.
  static CommApi& Real();
};

}  // namespace vireo
