// FIREWALL over a list of authorised applications: the version guard, the lookup, the addition (which also
// re-enables a disabled entry) and the removal, each traced; and the system's list, an adapter onto the
// firewall manager's current profile and its authorised-application objects.
#include <initguid.h>  // the firewall's class ids are defined in this unit

#include "install/firewall.h"

#include <netfw.h>

#include "base/comobject.h"
#include "base/osys.h"
#include "base/strings.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "firewall";

namespace {

// The version code of Windows XP: earlier systems have no firewall objects.
constexpr int kWindowsXp = 3;

// True when `hr` is a failure, which is then traced as a failure of `step`.
bool Failed(HRESULT hr, const char* step) {
  if (SUCCEEDED(hr)) return false;
  logit("FIREWALL::%s failed: 0x%08lx\n", step, static_cast<unsigned long>(hr));
  return true;
}

// A text that could not be made into a BSTR (or an empty display name) fails `step` as out of memory.
HRESULT NoMemory(const char* step) {
  logit("FIREWALL::%s SysAllocString failed: 0x%08lx\n", step, static_cast<unsigned long>(E_OUTOFMEMORY));
  return E_OUTOFMEMORY;
}

// The current profile through the firewall manager and its local policy; manager and policy go once the
// profile is had. COM stays initialised while the profile lives.
class SYSTEMFIREWALLLIST : public FIREWALLLIST {
 public:
  bool Open() override {
    COMPTR<INetFwMgr> manager;
    COMPTR<INetFwPolicy> policy;
    return !Failed(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwMgr),
                                    manager.OutVoid()),
                   "Constructor() CoCreateInstance") &&
           !Failed(manager->get_LocalPolicy(policy.Out()), "Constructor() get_LocalPolicy") &&
           !Failed(policy->get_CurrentProfile(Profile.Out()), "Constructor() get_CurrentProfile") && Profile;
  }
  // A program that the list cannot find counts as not listed.
  HRESULT IsEnabled(const wchar_t* image, bool* enabled) override {
    *enabled = false;
    COMPTR<INetFwAuthorizedApplications> list;
    HRESULT hr = Profile->get_AuthorizedApplications(list.Out());
    if (Failed(hr, "IsAppEnabled() get_AuthorizedApplications")) return hr;
    BSTRTEXT name(image);
    COMPTR<INetFwAuthorizedApplication> entry;
    if (!name.Get()) return NoMemory("IsAppEnabled()");
    if (FAILED(list->Item(name.Get(), entry.Out())) || !entry) {
      logit("FIREWALL::IsAppEnabled() Application is not in exception list\n");
      return S_OK;
    }
    logit("FIREWALL::IsAppEnabled() Application is in exception list\n");
    VARIANT_BOOL on = VARIANT_FALSE;
    hr = entry->get_Enabled(&on);
    if (Failed(hr, "IsAppEnabled() get_Enabled")) return hr;
    *enabled = on != VARIANT_FALSE;
    logit(*enabled ? "FIREWALL::IsAppEnabled() Application is enabled\n" : "FIREWALL::IsAppEnabled() Application is disabled\n");
    return S_OK;
  }
  // A new authorised-application object; the list puts it in place of an entry of the same program.
  HRESULT Add(const wchar_t* image, const wchar_t* name) override {
    COMPTR<INetFwAuthorizedApplications> list;
    HRESULT hr = Profile->get_AuthorizedApplications(list.Out());
    if (Failed(hr, "AddApplication() get_AuthorizedApplications")) return hr;
    COMPTR<INetFwAuthorizedApplication> entry;
    hr = CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                          __uuidof(INetFwAuthorizedApplication), entry.OutVoid());
    if (Failed(hr, "AddApplication() CoCreateInstance")) return hr;
    BSTRTEXT imagetext(image), nametext(name);
    if (!imagetext.Get() || !nametext.Get()) return NoMemory("AddApplication()");
    hr = entry->put_ProcessImageFileName(imagetext.Get());
    if (Failed(hr, "AddApplication() put_ProcessImageFileName")) return hr;
    hr = entry->put_Name(nametext.Get());
    if (Failed(hr, "AddApplication() put_Name")) return hr;
    hr = list->Add(entry.Get());
    Failed(hr, "AddApplication() Add");
    return hr;
  }
  HRESULT Remove(const wchar_t* image) override {
    COMPTR<INetFwAuthorizedApplications> list;
    HRESULT hr = Profile->get_AuthorizedApplications(list.Out());
    if (Failed(hr, "RemoveApplication() get_AuthorizedApplications")) return hr;
    BSTRTEXT name(image);
    if (!name.Get()) return NoMemory("RemoveApplication()");
    hr = list->Remove(name.Get());
    Failed(hr, "RemoveApplication() Remove");
    return hr;
  }

 private:
  COMSCOPE Com;  // first in, last out: the profile goes before COM
  COMPTR<INetFwProfile> Profile;
};

WSTRING Wide(const char* text) { return WSTRING(text, 1252); }

}  // namespace

FIREWALL::FIREWALL() : SystemList(new SYSTEMFIREWALLLIST) { Construct(*SystemList, OSYS::GetWindowsVersion()); }

FIREWALL::FIREWALL(FIREWALLLIST& list, int windowsversion) { Construct(list, windowsversion); }

void FIREWALL::Construct(FIREWALLLIST& list, int windowsversion) {
  logit("FIREWALL::Constructor()\n");
  if (windowsversion < kWindowsXp) {
    logit("FIREWALL::Constructor() WinOS < WinXP detected, constructor aborted\n");
    return;
  }
  List = &list;
  boolUpAndRunning = list.Open() ? TRUE : FALSE;
  logit("FIREWALL::~Constructor()\n");
}

FIREWALL::~FIREWALL() {
  logit("FIREWALL::Destructor()\n");
  SystemList.reset();  // the profile, then COM
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
  bool isenabled = false;
  HRESULT hr = List->IsEnabled(Wide(appname).c_str(), &isenabled);
  if (enabled) *enabled = isenabled ? TRUE : FALSE;
  logit("FIREWALL::~IsAppEnabled(), isenabled=%d\n", isenabled ? 1 : 0);
  return hr;
}

bool FIREWALL::AddApplication(const char* appname, const char* friendlyname) {
  if (!CheckUsable(appname) || !AssertCheck(friendlyname != nullptr, "friendlyname", kAssertUnit, __LINE__))
    return false;
  logit("FIREWALL::AddApplication() appname=%s\n", appname);
  BOOL enabled = FALSE;
  HRESULT hr = IsAppEnabled(appname, &enabled);
  if (Failed(hr, "AddApplication()")) return false;
  if (enabled) {
    logit("FIREWALL::AddApplication() Application is already added\n");
    return true;
  }
  // No entry without a display name: an empty one counts as a failed allocation.
  hr = friendlyname[0] ? List->Add(Wide(appname).c_str(), Wide(friendlyname).c_str())
                       : NoMemory("AddApplication()");
  if (SUCCEEDED(hr)) logit("FIREWALL::AddApplication() Application %s is now added to the firewall\n", appname);
  logit("FIREWALL::~AddApplication()\n");
  return SUCCEEDED(hr);
}

bool FIREWALL::RemoveApplication(const char* appname) {
  if (!CheckUsable(appname)) return false;
  logit("FIREWALL::RemoveApplication() appname=%s\n", appname);
  BOOL enabled = FALSE;
  HRESULT hr = IsAppEnabled(appname, &enabled);
  if (!Failed(hr, "RemoveApplication()")) {
    if (!enabled) {
      logit("FIREWALL::AddApplication() Application not found and therefor not removed\n");
    } else if (SUCCEEDED(hr = List->Remove(Wide(appname).c_str()))) {
      logit("FIREWALL::AddApplication() Application %s is now removed in the firewall\n", appname);
    }
  }
  logit("FIREWALL::~RemoveApplication()\n");
  return SUCCEEDED(hr);
}
