// FIREWALL over the authorised-application list of the current firewall profile: the lookup, the
// addition (which also re-enables a disabled entry) and the removal, each traced step by step, and the
// system's source of the profile through the firewall manager.
#include <initguid.h>  // the firewall's class ids are defined in this unit

#include "install/firewall.h"

#include "base/osys.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "firewall";

namespace {

// The version code of Windows XP: earlier systems have no firewall objects.
constexpr int kWindowsXp = 3;
constexpr HRESULT kNoMemory = E_OUTOFMEMORY;  // 0x8007000E

// The profile through the firewall manager and its local policy; manager and policy go with the call.
class SYSTEMFIREWALL : public FIREWALLSOURCE {
 public:
  HRESULT GetCurrentProfile(INetFwProfile** profile) override {
    COMPTR<INetFwMgr> manager;
    HRESULT hr = CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwMgr), manager.OutVoid());
    if (FAILED(hr)) {
      logit("FIREWALL::Constructor() CoCreateInstance failed: 0x%08lx\n", static_cast<unsigned long>(hr));
      return hr;
    }
    COMPTR<INetFwPolicy> policy;
    hr = manager->get_LocalPolicy(policy.Out());
    if (FAILED(hr)) {
      logit("FIREWALL::Constructor() get_LocalPolicy failed: 0x%08lx\n", static_cast<unsigned long>(hr));
      return hr;
    }
    hr = policy->get_CurrentProfile(profile);
    if (FAILED(hr)) logit("FIREWALL::Constructor() get_CurrentProfile failed: 0x%08lx\n", static_cast<unsigned long>(hr));
    return hr;
  }
  HRESULT NewAuthorizedApplication(INetFwAuthorizedApplication** application) override {
    return CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                            __uuidof(INetFwAuthorizedApplication), reinterpret_cast<void**>(application));
  }
};

SYSTEMFIREWALL gSystemFirewall;

unsigned long Code(HRESULT hr) { return static_cast<unsigned long>(hr); }

WSTRING Wide(const char* text) { return WSTRING(text, 1252); }

}  // namespace

FIREWALL::FIREWALL() { Construct(gSystemFirewall, OSYS::GetWindowsVersion()); }

FIREWALL::FIREWALL(FIREWALLSOURCE& source, int windowsversion) { Construct(source, windowsversion); }

void FIREWALL::Construct(FIREWALLSOURCE& source, int windowsversion) {
  logit("FIREWALL::Constructor()\n");
  if (windowsversion < kWindowsXp) {
    logit("FIREWALL::Constructor() WinOS < WinXP detected, constructor aborted\n");
    return;
  }
  Source = &source;
  if (SUCCEEDED(source.GetCurrentProfile(Profile.Out())) && Profile) {
    boolUpAndRunning = TRUE;
  } else {
    Profile.Reset();
  }
  logit("FIREWALL::~Constructor()\n");
}

FIREWALL::~FIREWALL() {
  logit("FIREWALL::Destructor()\n");
  Profile.Reset();
  logit("FIREWALL::~Destructor()\n");
}

bool FIREWALL::CheckUsable(const char* appname) const {
  return AssertCheck(boolUpAndRunning != FALSE, "this->boolUpAndRunning", kAssertUnit, __LINE__) &&
         AssertCheck(appname != nullptr, "appname", kAssertUnit, __LINE__);
}

HRESULT FIREWALL::IsAppEnabled(const char* appname, BOOL* enabled) {
  if (enabled) *enabled = FALSE;
  if (!CheckUsable(appname)) return 1;
  logit("FIREWALL::IsAppEnabled() appname=%s\n", appname);
  BOOL isenabled = FALSE;
  COMPTR<INetFwAuthorizedApplications> list;
  HRESULT hr = Profile->get_AuthorizedApplications(list.Out());
  if (FAILED(hr)) {
    logit("FIREWALL::IsAppEnabled() get_AuthorizedApplications failed: 0x%08lx\n", Code(hr));
  } else {
    BSTRTEXT name(Wide(appname).c_str());
    COMPTR<INetFwAuthorizedApplication> entry;
    if (!name.Get()) {
      hr = kNoMemory;
      logit("FIREWALL::IsAppEnabled() SysAllocString failed: 0x%08lx\n", Code(hr));
    } else if (FAILED(list->Item(name.Get(), entry.Out())) || !entry) {
      hr = S_OK;
      logit("FIREWALL::IsAppEnabled() Application is not in exception list\n");
    } else {
      logit("FIREWALL::IsAppEnabled() Application is in exception list\n");
      VARIANT_BOOL on = VARIANT_FALSE;
      hr = entry->get_Enabled(&on);
      if (FAILED(hr)) {
        logit("FIREWALL::IsAppEnabled() get_Enabled failed: 0x%08lx\n", Code(hr));
      } else if (on != VARIANT_FALSE) {
        isenabled = TRUE;
        logit("FIREWALL::IsAppEnabled() Application is enabled\n");
      } else {
        logit("FIREWALL::IsAppEnabled() Application is disabled\n");
      }
    }
  }
  if (enabled) *enabled = isenabled;
  logit("FIREWALL::~IsAppEnabled(), isenabled=%d\n", isenabled ? 1 : 0);
  return hr;
}

bool FIREWALL::AddApplication(const char* appname, const char* friendlyname) {
  if (!CheckUsable(appname) || !AssertCheck(friendlyname != nullptr, "friendlyname", kAssertUnit, __LINE__))
    return false;
  logit("FIREWALL::AddApplication() appname=%s\n", appname);
  BOOL enabled = FALSE;
  HRESULT hr = IsAppEnabled(appname, &enabled);
  if (FAILED(hr)) {
    logit("FIREWALL::AddApplication() failed: 0x%08lx\n", Code(hr));
    return false;
  }
  if (enabled) {
    logit("FIREWALL::AddApplication() Application is already added\n");
    return true;
  }
  hr = AddNewEntry(appname, friendlyname);
  logit("FIREWALL::~AddApplication()\n");
  return SUCCEEDED(hr);
}

// A new enabled entry for the program; the list puts it in place of a disabled one.
HRESULT FIREWALL::AddNewEntry(const char* appname, const char* friendlyname) {
  COMPTR<INetFwAuthorizedApplications> list;
  HRESULT hr = Profile->get_AuthorizedApplications(list.Out());
  if (FAILED(hr)) {
    logit("FIREWALL::AddApplication() get_AuthorizedApplications failed: 0x%08lx\n", Code(hr));
    return hr;
  }
  COMPTR<INetFwAuthorizedApplication> entry;
  hr = Source->NewAuthorizedApplication(entry.Out());
  if (FAILED(hr) || !entry) {
    hr = FAILED(hr) ? hr : E_POINTER;
    logit("FIREWALL::AddApplication() CoCreateInstance failed: 0x%08lx\n", Code(hr));
    return hr;
  }
  BSTRTEXT image(Wide(appname).c_str());
  // An empty display name counts as a failed allocation: no entry without a name.
  BSTRTEXT name(friendlyname[0] ? Wide(friendlyname).c_str() : nullptr);
  if (!image.Get() || !name.Get()) {
    logit("FIREWALL::AddApplication() SysAllocString failed: 0x%08lx\n", Code(kNoMemory));
    return kNoMemory;
  }
  hr = entry->put_ProcessImageFileName(image.Get());
  if (FAILED(hr)) {
    logit("FIREWALL::AddApplication() put_ProcessImageFileName failed: 0x%08lx\n", Code(hr));
    return hr;
  }
  hr = entry->put_Name(name.Get());
  if (FAILED(hr)) {
    logit("FIREWALL::AddApplication() put_Name failed: 0x%08lx\n", Code(hr));
    return hr;
  }
  hr = list->Add(entry.Get());
  if (FAILED(hr)) {
    logit("FIREWALL::AddApplication() Add failed: 0x%08lx\n", Code(hr));
    return hr;
  }
  logit("FIREWALL::AddApplication() Application %s is now added to the firewall\n", appname);
  return hr;
}

bool FIREWALL::RemoveApplication(const char* appname) {
  if (!CheckUsable(appname)) return false;
  logit("FIREWALL::RemoveApplication() appname=%s\n", appname);
  BOOL enabled = FALSE;
  HRESULT hr = IsAppEnabled(appname, &enabled);
  if (FAILED(hr)) {
    logit("FIREWALL::RemoveApplication() failed: 0x%08lx\n", Code(hr));
  } else if (!enabled) {
    logit("FIREWALL::AddApplication() Application not found and therefor not removed\n");
  } else {
    COMPTR<INetFwAuthorizedApplications> list;
    hr = Profile->get_AuthorizedApplications(list.Out());
    BSTRTEXT name(Wide(appname).c_str());
    if (FAILED(hr)) {
      logit("FIREWALL::RemoveApplication() get_AuthorizedApplications failed: 0x%08lx\n", Code(hr));
    } else if (!name.Get()) {
      hr = kNoMemory;
      logit("FIREWALL::RemoveApplication() SysAllocString failed: 0x%08lx\n", Code(hr));
    } else if (FAILED(hr = list->Remove(name.Get()))) {
      logit("FIREWALL::RemoveApplication() Remove failed: 0x%08lx\n", Code(hr));
    } else {
      logit("FIREWALL::AddApplication() Application %s is now removed in the firewall\n", appname);
    }
  }
  logit("FIREWALL::~RemoveApplication()\n");
  return SUCCEEDED(hr);
}
