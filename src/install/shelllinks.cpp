// The shell link object (IShellLinkW with IPersistFile) and the internet-shortcut object
// (IUniformResourceLocatorA): texts of code page 1252 become UTF-16 here, at the shell's boundary.
#include "install/shelllinks.h"

#include <windows.h>

#include <intshcut.h>
#include <shlobj.h>

#include "base/comobject.h"
#include "diag/logit.h"
#include "diag/norbaassert.h"

static const char kAssertUnit[] = "install";
static const int kShellLinkObjectLine = 935;
static const int kPersistFileLine = 997;

namespace {

WSTRING Wide(const STRING& text) { return WSTRING(text.GetBuffer() ? text.GetBuffer() : "", 1252); }

// Writes the file through the object's IPersistFile; `completed` also tells the object that it is saved.
HRESULT SaveThrough(IPersistFile* file, const STRING& linkfile, bool completed) {
  WSTRING name = Wide(linkfile);
  HRESULT hr = file->Save(name.c_str(), TRUE);
  if (completed && SUCCEEDED(hr)) file->SaveCompleted(name.c_str());
  return hr;
}

}  // namespace

bool SaveShellLink(const SHELLLINK& link, const STRING& linkfile) {
  COMPTR<IShellLinkW> shelllink;
  HRESULT hres = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shelllink.OutVoid());
  if (!AssertCheck(SUCCEEDED(hres), "SUCCEEDED(hres)", kAssertUnit, kShellLinkObjectLine)) return false;
  shelllink->SetPath(Wide(link.Path).c_str());
  shelllink->SetArguments(Wide(link.Arguments).c_str());
  shelllink->SetWorkingDirectory(Wide(link.WorkingFolder).c_str());
  if (link.IconPath.IsNotEmpty()) shelllink->SetIconLocation(Wide(link.IconPath).c_str(), link.IconIndex);
  COMPTR<IPersistFile> file;
  hres = shelllink->QueryInterface(IID_IPersistFile, file.OutVoid());
  if (!AssertCheck(SUCCEEDED(hres), "SUCCEEDED(hres)", kAssertUnit, kPersistFileLine,
                   "Programgroup entry or desktop icon"))
    return false;
  hres = SaveThrough(file.Get(), linkfile, false);
  logit("SaveShellLink %s -> %s: 0x%08lx\n", linkfile.c_str(), link.Path.c_str(), static_cast<unsigned long>(hres));
  return true;
}

bool SaveInternetShortcut(const STRING& url, const STRING& linkfile) {
  COMPTR<IUniformResourceLocatorA> shortcut;
  HRESULT hr = CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER, IID_IUniformResourceLocatorA,
                                shortcut.OutVoid());
  if (FAILED(hr)) {
    logit("SaveInternetShortcut %s: no internet-shortcut object, 0x%08lx\n", url.c_str(), static_cast<unsigned long>(hr));
    return false;
  }
  shortcut->SetURL(url.c_str(), IURL_SETURL_FL_GUESS_PROTOCOL);
  COMPTR<IPersistFile> file;
  if (FAILED(shortcut->QueryInterface(IID_IPersistFile, file.OutVoid()))) return false;
  hr = SaveThrough(file.Get(), linkfile, true);
  logit("SaveInternetShortcut %s -> %s: 0x%08lx\n", linkfile.c_str(), url.c_str(), static_cast<unsigned long>(hr));
  return true;
}
