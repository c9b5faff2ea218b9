// FIREWALL on an in-process list of authorised applications that behaves like the system's (an added
// program replaces its entry, new entries are enabled): adding, re-enabling, removing, the version guard,
// the display names of an installation's exceptions; and one pass over the system's own objects.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/hash.h"
#include "install/firewall.h"
#include "install/firewallexceptions.h"

namespace {

struct Entry {
  std::wstring image, name;
  bool enabled;
  bool operator==(const Entry& o) const { return image == o.image && name == o.name && enabled == o.enabled; }
};

// IUnknown with a reference count and IDispatch that the firewall never calls.
template <class I>
class Fake : public I {
 public:
  virtual ~Fake() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(I) ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

 private:
  ULONG refs_ = 1;
};

class FakeApplication : public Fake<INetFwAuthorizedApplication> {
 public:
  explicit FakeApplication(const Entry& entry = {L"", L"", true}) : entry_(entry) {}
  const Entry& Get() const { return entry_; }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return Out(entry_.name, name); }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override { return In(name, entry_.name); }
  HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR* image) override { return Out(entry_.image, image); }
  HRESULT STDMETHODCALLTYPE put_ProcessImageFileName(BSTR image) override { return In(image, entry_.image); }
  HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* on) override {
    *on = entry_.enabled ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL on) override {
    entry_.enabled = on != VARIANT_FALSE;
    return S_OK;
  }

 private:
  static HRESULT Out(const std::wstring& text, BSTR* out) {
    *out = SysAllocString(text.c_str());
    return S_OK;
  }
  static HRESULT In(BSTR text, std::wstring& to) {
    if (!text) return E_POINTER;
    to = text;
    return S_OK;
  }
  Entry entry_;
};

class FakeList : public Fake<INetFwAuthorizedApplications> {
 public:
  explicit FakeList(std::vector<Entry>& entries) : entries_(entries) {}
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    *count = static_cast<LONG>(entries_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication* app) override {
    const Entry& entry = static_cast<FakeApplication*>(app)->Get();
    if (Entry* existing = Find(entry.image.c_str()))
      *existing = entry;
    else
      entries_.push_back(entry);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Remove(BSTR image) override {
    Entry* entry = Find(image);
    if (!entry) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    entries_.erase(entries_.begin() + (entry - entries_.data()));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(BSTR image, INetFwAuthorizedApplication** app) override {
    Entry* entry = Find(image);
    *app = entry ? new FakeApplication(*entry) : nullptr;
    return entry ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 private:
  Entry* Find(const wchar_t* image) {
    for (Entry& entry : entries_)
      if (_wcsicmp(entry.image.c_str(), image) == 0) return &entry;
    return nullptr;
  }
  std::vector<Entry>& entries_;
};

class FakeProfile : public Fake<INetFwProfile> {
 public:
  explicit FakeProfile(std::vector<Entry>& entries) : entries_(entries) {}
  HRESULT STDMETHODCALLTYPE get_Type(NET_FW_PROFILE_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_FirewallEnabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_FirewallEnabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ExceptionsNotAllowed(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ExceptionsNotAllowed(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NotificationsDisabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_NotificationsDisabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_RemoteAdminSettings(INetFwRemoteAdminSettings**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IcmpSettings(INetFwIcmpSettings**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_GloballyOpenPorts(INetFwOpenPorts**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Services(INetFwServices**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AuthorizedApplications(INetFwAuthorizedApplications** apps) override {
    *apps = new FakeList(entries_);
    return S_OK;
  }

 private:
  std::vector<Entry>& entries_;
};

class FakeSource : public FIREWALLSOURCE {
 public:
  HRESULT GetCurrentProfile(INetFwProfile** profile) override {
    asked++;
    *profile = fails ? nullptr : new FakeProfile(entries);
    return fails ? E_ACCESSDENIED : S_OK;
  }
  HRESULT NewAuthorizedApplication(INetFwAuthorizedApplication** app) override {
    *app = new FakeApplication();
    return S_OK;
  }
  std::vector<Entry> entries;
  bool fails = false;
  int asked = 0;
};

const int kWindows7 = 6;
const wchar_t kKiv[] = L"C:\\Kiv\\kiv.exe";

// Adding enables a program and keeps what is enabled; removing takes only an enabled entry.
TEST(Firewall, AddAndRemoveApplication) {
  const struct {
    const char* what;
    std::vector<Entry> before;
    const char* name;  // null: remove
    bool result;
    std::vector<Entry> after;
  } cases[] = {
      {"add absent: added enabled", {}, "Kiv", true, {{kKiv, L"Kiv", true}}},
      {"add enabled: left as it is", {{kKiv, L"Old", true}}, "Kiv", true, {{kKiv, L"Old", true}}},
      {"add disabled: enabled by adding again", {{kKiv, L"Old", false}}, "Kiv", true, {{kKiv, L"Kiv", true}}},
      {"add with an empty display name: nothing", {}, "", false, {}},
      {"add with a name outside ASCII: UTF-16", {}, "Kiv \xFC", true, {{kKiv, L"Kiv \u00FC", true}}},
      {"remove enabled: removed", {{kKiv, L"Kiv", true}}, nullptr, true, {}},
      {"remove disabled: stays", {{kKiv, L"Kiv", false}}, nullptr, true, {{kKiv, L"Kiv", false}}},
      {"remove absent: nothing to do", {{L"C:\\a.exe", L"A", true}}, nullptr, true, {{L"C:\\a.exe", L"A", true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSource source;
    source.entries = c.before;
    FIREWALL firewall(source, kWindows7);
    ASSERT_TRUE(firewall.IsUpAndRunning());
    bool result = c.name ? firewall.AddApplication("C:\\Kiv\\kiv.exe", c.name)
                         : firewall.RemoveApplication("C:\\Kiv\\kiv.exe");
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.after, source.entries);
  }
}

// Before Windows XP nothing is asked of the system; a profile that cannot be had leaves the object idle.
TEST(Firewall, UpAndRunningOnlyFromXpWithAProfile) {
  const struct {
    int version;
    bool fails;
    int asked;
    bool up;
  } cases[] = {{2, false, 0, false}, {3, false, 1, true}, {9, false, 1, true}, {6, true, 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    FakeSource source;
    source.fails = c.fails;
    FIREWALL firewall(source, c.version);
    EXPECT_EQ(c.asked, source.asked);
    EXPECT_EQ(c.up, firewall.IsUpAndRunning());
  }
}

// Every program of AddToFirewall in the installation folder; a program that a start-menu item starts
// is named by the first such item, the others by AppName.
TEST(Firewall, InstallationExceptionsTakeTheirNamesFromStartMenuItems) {
  FakeSource source;
  source.entries = {{L"C:\\Kiv\\bin\\tool.exe", L"Tool", false}};
  HASH config;
  config["AppName"] = "Kiv";
  config["AddToFirewall"] = "kiv.exe | bin\\tool.exe|other.exe||never.exe";
  config["StartmenuOpts"] = "Readme;readme.txt|Kiv Terminal;*KIV.EXE;-x|Tool;bin\\tool.exe|Tool again;bin\\tool.exe";
  FIREWALL firewall(source, kWindows7);
  AddFirewallExceptions(config, "C:\\Kiv", firewall);
  std::vector<Entry> expected = {{L"C:\\Kiv\\bin\\tool.exe", L"Tool", true},
                                 {L"C:\\Kiv\\kiv.exe", L"Kiv Terminal", true},
                                 {L"C:\\Kiv\\other.exe", L"Kiv", true}};
  EXPECT_EQ(expected, source.entries);

  HASH absent;
  absent["AppName"] = "Kiv";
  AddFirewallExceptions(absent, "C:\\Kiv", firewall);
  EXPECT_EQ(3u, source.entries.size());
  EXPECT_FALSE(absent.Exists("AddToFirewall"));
}

// Wine's firewall objects are stubs; the real path must come back, whatever they answer.
TEST(Firewall, SystemObjectsNeitherCrashNorBlock) {
  auto pass = std::async(std::launch::async, [] {
    FIREWALL firewall;
    if (!firewall.IsUpAndRunning()) return true;
    BOOL enabled = FALSE;
    firewall.IsAppEnabled("C:\\norba-test\\absent.exe", &enabled);
    firewall.AddApplication("C:\\norba-test\\absent.exe", "Norba test");
    firewall.RemoveApplication("C:\\norba-test\\absent.exe");
    return true;
  });
  ASSERT_EQ(std::future_status::ready, pass.wait_for(std::chrono::seconds(60)));
  EXPECT_TRUE(pass.get());
}

}  // namespace
