// FIREWALL on an in-process list of authorised applications that behaves like the system's (an added
// program replaces its entry as an enabled one): adding, re-enabling, removing, the version guard,
// and the display names of an installation's exceptions.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "base/hash.h"
#include "install/firewall.h"
#include "install/firewallexceptions.h"

namespace {

// Program image -> display name and whether the entry is enabled.
using Entries = std::map<std::wstring, std::pair<std::wstring, bool>>;

class FakeList : public FIREWALLLIST {
 public:
  bool Open() override {
    opened++;
    return !fails;
  }
  HRESULT IsEnabled(const wchar_t* image, bool* enabled) override {
    *enabled = entries.count(image) && entries[image].second;
    return S_OK;
  }
  HRESULT Add(const wchar_t* image, const wchar_t* name) override {
    entries[image] = {name, true};
    return S_OK;
  }
  HRESULT Remove(const wchar_t* image) override {
    entries.erase(image);
    return S_OK;
  }

  Entries entries;
  bool fails = false;
  int opened = 0;
};

const int kWindows7 = 6;
const wchar_t kKiv[] = L"C:\\Kiv\\kiv.exe";

// Adding enables a program and keeps what is enabled; removing takes only an enabled entry.
TEST(Firewall, AddAndRemoveApplication) {
  const struct {
    Entries before;
    const char* name;  // null: remove
    bool result;
    Entries after;
  } cases[] = {
      {{}, "Kiv", true, {{kKiv, {L"Kiv", true}}}},
      {{{kKiv, {L"Old", true}}}, "Kiv", true, {{kKiv, {L"Old", true}}}},
      {{{kKiv, {L"Old", false}}}, "Kiv", true, {{kKiv, {L"Kiv", true}}}},
      {{}, "", false, {}},  // no entry without a display name
      {{}, "Kiv \xFC", true, {{kKiv, {L"Kiv \u00FC", true}}}},
      {{{kKiv, {L"Kiv", true}}}, nullptr, true, {}},
      {{{kKiv, {L"Kiv", false}}}, nullptr, true, {{kKiv, {L"Kiv", false}}}},
      {{{L"C:\\a.exe", {L"A", true}}}, nullptr, true, {{L"C:\\a.exe", {L"A", true}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    FakeList list;
    list.entries = c.before;
    FIREWALL firewall(list, kWindows7);
    bool result = c.name ? firewall.AddApplication("C:\\Kiv\\kiv.exe", c.name)
                         : firewall.RemoveApplication("C:\\Kiv\\kiv.exe");
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.after, list.entries);
  }
}

// Before Windows XP nothing is asked of the system; a profile that cannot be had leaves the object idle.
TEST(Firewall, UpAndRunningOnlyFromXpWithAProfile) {
  FakeList windows2000, xp, failing;
  failing.fails = true;
  EXPECT_FALSE(FIREWALL(windows2000, 2).IsUpAndRunning());
  EXPECT_EQ(0, windows2000.opened);
  EXPECT_TRUE(FIREWALL(xp, 3).IsUpAndRunning());
  EXPECT_FALSE(FIREWALL(failing, kWindows7).IsUpAndRunning());
}

// Every program of AddToFirewall in the installation folder; a program that a start-menu item starts
// is named by the first such item, the others by AppName.
TEST(Firewall, InstallationExceptionsTakeTheirNamesFromStartMenuItems) {
  FakeList list;
  list.entries = {{L"C:\\Kiv\\bin\\tool.exe", {L"Tool", false}}};
  HASH config;
  config["AppName"] = "Kiv";
  config["AddToFirewall"] = "kiv.exe | bin\\tool.exe|other.exe||never.exe";
  config["StartmenuOpts"] = "Readme;readme.txt|Kiv Terminal;*KIV.EXE;-x|Tool;bin\\tool.exe|Tool again;bin\\tool.exe";
  FIREWALL firewall(list, kWindows7);
  AddFirewallExceptions(config, "C:\\Kiv", firewall);
  Entries expected = {{L"C:\\Kiv\\kiv.exe", {L"Kiv Terminal", true}},
                     {L"C:\\Kiv\\bin\\tool.exe", {L"Tool", true}},
                     {L"C:\\Kiv\\other.exe", {L"Kiv", true}}};
  EXPECT_EQ(expected, list.entries);
  // Without AddToFirewall nothing is added, and the key is not made.
  ASSERT_TRUE(config.Delete("AddToFirewall"));
  AddFirewallExceptions(config, "C:\\Kiv", firewall);
  EXPECT_EQ(3u, list.entries.size());
  EXPECT_FALSE(config.Exists("AddToFirewall"));
}

}  // namespace
