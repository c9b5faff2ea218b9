// Linked folders in test folders under Wine: making one, removing one as a link, and a drive letter standing
// for a folder. Wine shows Unix symbolic links as linked folders but follows them in RemoveDirectory.
#pragma once

#include <string>

namespace uidriver {

bool IsLinkedFolder(const std::string& path);
// Makes `link` a link to the folder `target`; false where the system cannot (outside Wine).
bool MakeFolderLink(const std::string& target, const std::string& link);
// Removes the link itself; what it points to stays untouched.
bool RemoveFolderLink(const std::string& link);

// A free drive letter standing for `folder` while the object lives: a link in the prefix's "dosdevices"
// folder.
class FolderDrive {
 public:
  explicit FolderDrive(const std::string& folder);
  ~FolderDrive();
  FolderDrive(const FolderDrive&) = delete;
  FolderDrive& operator=(const FolderDrive&) = delete;
  // "Q:"; empty when no drive letter could be given.
  std::string Drive() const { return mapped_ ? drive_ : std::string(); }

 private:
  std::string drive_, unixLink_;
  bool mapped_ = false;
};

}  // namespace uidriver
