// FIREWALL: keeps programs of the product in the Windows Firewall's list of authorised applications of
// the current profile, over the platform's firewall COM objects. Every failure is only traced; the
// program always works on the system's objects, tests hand in their own through FIREWALLSOURCE.
#pragma once

#include <windows.h>

#include <netfw.h>

#include "base/comobject.h"
#include "base/strings.h"

// Where the firewall's objects come from.
class FIREWALLSOURCE {
 public:
  virtual ~FIREWALLSOURCE() = default;
  // The current profile; a failure is traced by the source itself.
  virtual HRESULT GetCurrentProfile(INetFwProfile** profile) = 0;
  // A new, empty authorised-application object.
  virtual HRESULT NewAuthorizedApplication(INetFwAuthorizedApplication** application) = 0;
};

class FIREWALL {
 public:
  // The system's firewall on the Windows this program runs on.
  FIREWALL();
  // The firewall of `source` as seen on a Windows of version code `windowsversion` (OSYS::GetWindowsVersion).
  FIREWALL(FIREWALLSOURCE& source, int windowsversion);
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
  void Construct(FIREWALLSOURCE& source, int windowsversion);
  bool CheckUsable(const char* appname) const;
  HRESULT AddNewEntry(const char* appname, const char* friendlyname);

  COMSCOPE Com;  // first in, last out: the profile goes before COM
  BOOL boolUpAndRunning = FALSE;
  COMPTR<INetFwProfile> Profile;
  FIREWALLSOURCE* Source = nullptr;
};
