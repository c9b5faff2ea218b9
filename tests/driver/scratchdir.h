// A fresh folder for one test under the temporary folder, with helpers to fill and inspect it that fail
// the test at the caller's line; the destructor deletes the whole tree, links in it as links.
#pragma once

#include <string>
#include <vector>

#include "callsite.h"

namespace uidriver {

// Relative names may contain sub-folders ("data\\admin.ini"; forward slashes work as well). Declare the
// ScratchDir before the AppUnderTest that runs in it: the program must end before the folder goes.
class ScratchDir {
 public:
  explicit ScratchDir(CallSite where = CallSite::Here());
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative = "") const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
  }

  // Copies the named files of a folder into the scratch folder under the same names.
  bool CopyFrom(const std::string& folder, const std::vector<std::string>& names, CallSite where = CallSite::Here());
  // These create the folders a path needs.
  bool CopyFileTo(const std::string& source, const std::string& relative, CallSite where = CallSite::Here());
  bool MakeFolder(const std::string& relative, CallSite where = CallSite::Here());
  // Writes the text as it is (no line-end conversion).
  bool WriteText(const std::string& relative, const std::string& text, CallSite where = CallSite::Here());
  bool Exists(const std::string& relative) const;
  // The whole file; a missing file fails the test and reads as "".
  std::string ReadText(const std::string& relative, CallSite where = CallSite::Here()) const;

 private:
  std::string root_;
};

// Deletes a folder and everything in it, read-only files too, without following links; true when it is gone.
bool DeleteTree(const std::string& folder);

}  // namespace uidriver
