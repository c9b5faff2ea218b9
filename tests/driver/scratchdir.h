// A fresh folder for one test under the temporary folder, with helpers to fill and inspect it; the
// destructor deletes the whole tree. Links inside it (junctions, symbolic links) are removed as links:
// what they point to is never touched.
#pragma once

#include <string>
#include <vector>

#include "callsite.h"

namespace uidriver {

// Relative names below may contain sub-folders ("data\\admin.ini"); forward slashes work as well. Declare
// the ScratchDir before the AppUnderTest that runs in it: the program must end before the folder goes.
class ScratchDir {
 public:
  explicit ScratchDir(CallSite where = CallSite::Here());
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder itself ("C:\\users\\...\\Temp\\norba-e2e-...") or a path inside it.
  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative = "") const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
  }

  // Copies the named files of a folder (for instance the distributable's setup.exe and language
  // libraries) into the scratch folder, under the same names.
  bool CopyFrom(const std::string& folder, const std::vector<std::string>& names, CallSite where = CallSite::Here());
  // Copies one file to a relative name, creating its folders.
  bool CopyFileTo(const std::string& source, const std::string& relative, CallSite where = CallSite::Here());
  bool MakeFolder(const std::string& relative, CallSite where = CallSite::Here());
  // Writes the text as it is (no line-end conversion), creating the file's folders.
  bool WriteText(const std::string& relative, const std::string& text, CallSite where = CallSite::Here());
  bool Exists(const std::string& relative) const;
  // The whole file; a missing file fails the test and reads as "".
  std::string ReadText(const std::string& relative, CallSite where = CallSite::Here()) const;

 private:
  bool MakeParentFolders(const std::string& path) const;

  std::string root_;
};

// Deletes a folder and everything in it without following links; true when it is gone.
bool DeleteTree(const std::string& folder);

}  // namespace uidriver
