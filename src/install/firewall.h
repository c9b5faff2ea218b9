// FIREWALL: keeps programs of the product in the Windows Firewall's list of authorised applications of
// the current profile. Every failure is only traced; the program works on the system's list (an adapter
// onto the platform's firewall COM objects), tests hand in a list of their own through FIREWALLLIST.
#pragma once

#include <windows.h>

#include <memory>

// The authorised applications of the current firewall profile, each known by its program image.
class FIREWALLLIST {
 public:
  virtual ~FIREWALLLIST() = default;
  // Opens the current profile; false when it cannot be had (traced by the list itself).
  virtual bool Open() = 0;
  // S_OK with `enabled` true only for a listed, enabled program; a failure code when the list cannot tell.
  virtual HRESULT IsEnabled(const wchar_t* image, bool* enabled) = 0;
  // Lists the program as a new, enabled entry named `name`, in place of any entry it had.
  virtual HRESULT Add(const wchar_t* image, const wchar_t* name) = 0;
  virtual HRESULT Remove(const wchar_t* image) = 0;
};

class FIREWALL {
 public:
  // The system's firewall on the Windows this program runs on.
  FIREWALL();
  // The firewall of `list` as seen on a Windows of version code `windowsversion` (OSYS::GetWindowsVersion).
  FIREWALL(FIREWALLLIST& list, int windowsversion);
  ~FIREWALL();
  FIREWALL(const FIREWALL&) = delete;
  FIREWALL& operator=(const FIREWALL&) = delete;

  bool IsUpAndRunning() const { return boolUpAndRunning != FALSE; }

  // The platform's status code (negative: failure); `enabled` is 1 only for a listed, enabled program.
  HRESULT IsAppEnabled(const char* appname, BOOL* enabled);
  // True when the program is listed and enabled afterwards (a disabled entry is replaced by an enabled one).
  bool AddApplication(const char* appname, const char* friendlyname);
  // True when nothing failed; only a listed, enabled program is removed, a disabled entry stays.
  bool RemoveApplication(const char* appname);

 private:
  void Construct(FIREWALLLIST& list, int windowsversion);
  bool CheckUsable(const char* appname) const;

  std::unique_ptr<FIREWALLLIST> SystemList;  // only when no list was handed in
  FIREWALLLIST* List = nullptr;
  BOOL boolUpAndRunning = FALSE;
};
