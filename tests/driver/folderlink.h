// Linked folders (junctions, symbolic links) in test folders: making one and removing one as a link.
// Wine shows Unix symbolic links as linked folders but follows them in RemoveDirectory, so under Wine
// both go through the Unix tools.
#pragma once

#include <string>

namespace uidriver {

bool IsLinkedFolder(const std::string& path);
// Makes `link` a link to the folder `target`; false where the system cannot.
bool MakeFolderLink(const std::string& target, const std::string& link);
// Removes the link itself; what it points to stays untouched.
bool RemoveFolderLink(const std::string& link);

}  // namespace uidriver
