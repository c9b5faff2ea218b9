// The language library: chooses the user-interface language and loads "setup<language>.dll" beside
// the program, falling back to English. All user-interface texts and layouts come from it.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "diag/logit.h"
#include "app/norba_win32.h"
#include "app/frame_state.h"
#include "base/osys.h"

int NORBAAPP::ChooseLanguage(const STRING& value, int fallbacklanguage) {
  static const struct {
    const char* name;
    int locale;
  } kLanguages[] = {{"GER", 7}, {"ENGL", 9}, {"FRENCH", 12}, {"HUNGARIAN", 14}};
  for (const auto& language : kLanguages)
    if (value == language.name) return language.locale;
  return fallbacklanguage;
}

static const char* LanguageLibrarySuffix(int locale) {
  switch (locale) {
    case 7: return "german.dll";
    case 12: return "french.dll";
    case 14: return "hungarian.dll";
    default: return "english.dll";
  }
}

// Loaded as data: a language library holds only texts and layouts, so no code of it ever runs.
static HMODULE LoadResourceLibrary(const STRING& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  logit("NORBAAPP::LoadLanguageLibrary %s returned %p\n", path.c_str(), static_cast<void*>(module));
  return module;
}

static void ExitDllNotFound(const STRING& path) {
  char text[300];
  snprintf(text, sizeof(text), "DLL not found:\r%.255s", path.c_str());
  MessageBoxA(nullptr, text, "Norba Application", MB_OK | MB_ICONSTOP);
  ExitProcess(99);
}

bool NORBAAPP::LoadLanguageLibrary(const char* programpath, const char* appname, const char* version,
                                   const char* nameoverride, bool optional) {
  FRAMESTATE& state = Frame();
  state.AppName = STRING(nameoverride ? nameoverride : appname, 1252);
  if (state.AppName.Length() > 0) state.AppName[0] = static_cast<char>(toupper(static_cast<unsigned char>(state.AppName[0])));
  state.AppVersion = STRING(version, 1252);
  DiagSetProgram(state.AppName.GetBuffer(), state.AppVersion.GetBuffer());

  STRING base = GetAppRoot(DirectoryOf(STRING(programpath, 1252)));
  base.Append("\\");
  base.Append(appname);

  HMODULE module = LoadResourceLibrary(base + LanguageLibrarySuffix(gLocale));
  bool english = strcmp(LanguageLibrarySuffix(gLocale), LanguageLibrarySuffix(9)) == 0;
  if (!module && !english) {
    gLocale = 9;
    module = LoadResourceLibrary(base + LanguageLibrarySuffix(gLocale));
  }
  if (!module) {
    if (optional) return false;
    ExitDllNotFound(base + LanguageLibrarySuffix(9));
  }
  FreeLanguageLibrary();
  state.LanguageLibrary = module;
  OSYS::SetLanguageModule(module);
  return true;
}

void NORBAAPP::FreeLanguageLibrary() {
  FRAMESTATE& state = Frame();
  OSYS::SetLanguageModule(state.Instance);
  if (state.LanguageLibrary) FreeLibrary(state.LanguageLibrary);
  state.LanguageLibrary = nullptr;
}
