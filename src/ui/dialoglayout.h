// The dialog layouts of the language library as the toolkit creates them: a copy of the layout
// resource in which, on Windows Vista and later, the shell font of an extended layout gives way to the
// system's message font, so that the windows look like the rest of the system.
#pragma once

#include <windows.h>

#include <vector>

class DIALOGLAYOUT {
 public:
  // Copies layout `id` of `module`; IsValid() is false when the module has no such dialog resource.
  DIALOGLAYOUT(HINSTANCE module, int id);

  bool IsValid() const { return !Bytes.empty(); }
  // The copy for CreateDialogIndirectParamW; null when not valid.
  const DLGTEMPLATE* Get() const;
  // Whether the copy carries the system's message font instead of the layout's own.
  bool FontReplaced() const { return Replaced; }

 private:
  std::vector<BYTE> Bytes;
  bool Replaced = false;
};

// Whether layouts get the message font: Windows Vista and later.
bool LayoutsUseMessageFont();
