// FIREWALL on an in-process list of authorised applications that behaves like the system's (an added
// program replaces its entry, new entries are enabled): adding, re-enabling, removing, the version guard,
// the display names of an installation's exceptions; and a removal through the system's own objects.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "base/hash.h"
#include "install/firewall.h"
#include "install/firewallexceptions.h"

namespace {

struct Entry {
  std::wstring image, name;
  bool enabled;
};
bool operator==(const Entry& a, const Entry& b) {
  return std::tie(a.image, a.name, a.enabled) == std::tie(b.image, b.name, b.enabled);
}

// IUnknown and IDispatch of an object that the test owns: no reference count, nothing to dispatch.
template <class I>
class Unowned : public I {
 public:
  STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
};

// The source, its current profile, the profile's list of authorised applications and the one entry at
// hand (made new, or looked up in the list), all in one object that the test owns.
class FakeFirewall : public FIREWALLSOURCE,
                     public Unowned<INetFwProfile>,
                     public Unowned<INetFwAuthorizedApplications>,
                     public Unowned<INetFwAuthorizedApplication> {
 public:
  HRESULT GetCurrentProfile(INetFwProfile** profile) override {
    asked++;
    *profile = fails ? nullptr : this;
    return fails ? E_ACCESSDENIED : S_OK;
  }
  HRESULT NewAuthorizedApplication(INetFwAuthorizedApplication** app) override {
    atHand = {L"", L"", true};  // the system's new entries are enabled
    *app = this;
    return S_OK;
  }
  STDMETHODIMP get_AuthorizedApplications(INetFwAuthorizedApplications** apps) override {
    *apps = this;
    return S_OK;
  }
  // The list: an added program replaces its entry; only a listed one can be looked up or removed.
  STDMETHODIMP Add(INetFwAuthorizedApplication*) override {
    auto listed = Find(atHand.image.c_str());
    if (listed != entries.end()) entries.erase(listed);
    entries.push_back(atHand);
    return S_OK;
  }
  STDMETHODIMP Remove(BSTR image) override {
    auto listed = Find(image);
    if (listed == entries.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    entries.erase(listed);
    return S_OK;
  }
  STDMETHODIMP Item(BSTR image, INetFwAuthorizedApplication** app) override {
    auto listed = Find(image);
    if (listed == entries.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    atHand = *listed;
    *app = this;
    return S_OK;
  }
  // The entry at hand: its image and name are set, whether it is enabled is read.
  STDMETHODIMP put_ProcessImageFileName(BSTR image) override { return Put(image, atHand.image); }
  STDMETHODIMP put_Name(BSTR name) override { return Put(name, atHand.name); }
  STDMETHODIMP get_Enabled(VARIANT_BOOL* on) override {
    *on = atHand.enabled ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  // Nothing else is asked of the objects.
  STDMETHODIMP put_Enabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_ProcessImageFileName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Name(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_IpVersion(NET_FW_IP_VERSION*) override { return E_NOTIMPL; }
  STDMETHODIMP put_IpVersion(NET_FW_IP_VERSION) override { return E_NOTIMPL; }
  STDMETHODIMP get_Scope(NET_FW_SCOPE*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Scope(NET_FW_SCOPE) override { return E_NOTIMPL; }
  STDMETHODIMP get_RemoteAddresses(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_RemoteAddresses(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_Count(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Type(NET_FW_PROFILE_TYPE*) override { return E_NOTIMPL; }
  STDMETHODIMP get_FirewallEnabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_FirewallEnabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_ExceptionsNotAllowed(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_ExceptionsNotAllowed(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_NotificationsDisabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_NotificationsDisabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_RemoteAdminSettings(INetFwRemoteAdminSettings**) override { return E_NOTIMPL; }
  STDMETHODIMP get_IcmpSettings(INetFwIcmpSettings**) override { return E_NOTIMPL; }
  STDMETHODIMP get_GloballyOpenPorts(INetFwOpenPorts**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Services(INetFwServices**) override { return E_NOTIMPL; }

  std::vector<Entry> entries;
  bool fails = false;
  int asked = 0;

 private:
  std::vector<Entry>::iterator Find(const wchar_t* image) {
    return std::find_if(entries.begin(), entries.end(),
                        [&](const Entry& entry) { return _wcsicmp(entry.image.c_str(), image) == 0; });
  }
  static HRESULT Put(BSTR text, std::wstring& to) {
    to = text ? text : L"";
    return S_OK;
  }
  Entry atHand;
};

const int kWindows7 = 6;
const wchar_t kKiv[] = L"C:\\Kiv\\kiv.exe";

// Adding enables a program and keeps what is enabled; removing takes only an enabled entry.
TEST(Firewall, AddAndRemoveApplication) {
  const struct {
    std::vector<Entry> before;
    const char* name;  // null: remove
    bool result;
    std::vector<Entry> after;
  } cases[] = {
      {{}, "Kiv", true, {{kKiv, L"Kiv", true}}},
      {{{kKiv, L"Old", true}}, "Kiv", true, {{kKiv, L"Old", true}}},
      {{{kKiv, L"Old", false}}, "Kiv", true, {{kKiv, L"Kiv", true}}},
      {{}, "", false, {}},  // no entry without a display name
      {{}, "Kiv \xFC", true, {{kKiv, L"Kiv \u00FC", true}}},
      {{{kKiv, L"Kiv", true}}, nullptr, true, {}},
      {{{kKiv, L"Kiv", false}}, nullptr, true, {{kKiv, L"Kiv", false}}},
      {{{L"C:\\a.exe", L"A", true}}, nullptr, true, {{L"C:\\a.exe", L"A", true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    FakeFirewall source;
    source.entries = c.before;
    FIREWALL firewall(source, kWindows7);
    bool result = c.name ? firewall.AddApplication("C:\\Kiv\\kiv.exe", c.name)
                         : firewall.RemoveApplication("C:\\Kiv\\kiv.exe");
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.after, source.entries);
  }
}

// Before Windows XP nothing is asked of the system; a profile that cannot be had leaves the object idle.
TEST(Firewall, UpAndRunningOnlyFromXpWithAProfile) {
  for (int version : {2, 3}) {
    FakeFirewall source;
    FIREWALL firewall(source, version);
    EXPECT_EQ(version == 3 ? 1 : 0, source.asked) << version;
    EXPECT_EQ(version == 3, firewall.IsUpAndRunning()) << version;
  }
  FakeFirewall failing;
  failing.fails = true;
  EXPECT_FALSE(FIREWALL(failing, kWindows7).IsUpAndRunning());
}

// Every program of AddToFirewall in the installation folder; a program that a start-menu item starts
// is named by the first such item, the others by AppName.
TEST(Firewall, InstallationExceptionsTakeTheirNamesFromStartMenuItems) {
  FakeFirewall source;
  source.entries = {{L"C:\\Kiv\\bin\\tool.exe", L"Tool", false}};
  HASH config;
  config["AppName"] = "Kiv";
  config["AddToFirewall"] = "kiv.exe | bin\\tool.exe|other.exe||never.exe";
  config["StartmenuOpts"] = "Readme;readme.txt|Kiv Terminal;*KIV.EXE;-x|Tool;bin\\tool.exe|Tool again;bin\\tool.exe";
  FIREWALL firewall(source, kWindows7);
  AddFirewallExceptions(config, "C:\\Kiv", firewall);
  std::vector<Entry> expected = {{L"C:\\Kiv\\kiv.exe", L"Kiv Terminal", true},
                                 {L"C:\\Kiv\\bin\\tool.exe", L"Tool", true},
                                 {L"C:\\Kiv\\other.exe", L"Kiv", true}};
  EXPECT_EQ(expected, source.entries);
  // Without AddToFirewall nothing is added, and the key is not made.
  HASH absent;
  absent["AppName"] = "Kiv";
  AddFirewallExceptions(absent, "C:\\Kiv", firewall);
  EXPECT_EQ(3u, source.entries.size());
  EXPECT_FALSE(absent.Exists("AddToFirewall"));
}

// Wine's firewall objects are stubs (an unlisted program counts as listed): a removal through them must
// come back, whatever they answer. Adding through them runs in the end-to-end shortcut test.
TEST(Firewall, SystemObjectsNeitherCrashNorBlock) {
  FIREWALL firewall;
  if (firewall.IsUpAndRunning()) firewall.RemoveApplication("C:\\norba-test\\absent.exe");
}

}  // namespace
