// System registration of an installed product: the file types and URL protocols of the setup
// configuration (FileTypes, UrlTypes) below HKEY_CLASSES_ROOT, the application's capabilities and its
// entry under RegisteredApplications. Every class key made here is collected in the root-class list.
#pragma once

#include "base/hash.h"
#include "base/strings.h"

// The product's machine-wide key below HKEY_LOCAL_MACHINE; the capabilities live in its subkey IniKey.
constexpr char kNorbaSoftwareKey[] = "Software\\Norba";

// The text of a STRING for a registry write: "" when it holds none (never the null guard's "<NULL>").
inline const char* PlainText(const STRING& text) { return text.GetBuffer() ? text.GetBuffer() : ""; }

// The installation folder as the prefix of the relative paths in FileTypes and UrlTypes: trailing '\'
// and '/' removed and one '\' appended; empty for an empty folder.
STRING InstallDirPrefix(const char* folder);

// Whether `name` names exactly one key below a root: not empty, no '\', at most 255 characters. Other
// names would write into (and at removal delete) keys that are not the product's own.
bool IsSingleKeyName(const STRING& name);

// Registers every usable FileTypes item, from the first up to the first empty one: extension key, class
// key with description and icon, the open verb unless the command is "{null}", the edit verb with
// "{textedit}". Appends extension '|' class '|' of each to `rootclasses`.
void RegisterFileTypes(HASH& config, const char* installfolder, STRING& rootclasses);

// When UrlTypes is not empty: the capabilities key Software\Norba\<IniKey> with ApplicationDescription,
// and the RegisteredApplications entry if that key exists. Then every usable UrlTypes item: its
// UrlAssociations value, the product's class key (appended with '|' to `rootclasses`) and, when the
// scheme has no open command yet, the scheme key itself. An existing handler is never touched.
void RegisterUrlTypes(HASH& config, const char* installfolder, STRING& rootclasses);
