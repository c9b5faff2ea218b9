// The benchmark's removal of an installed tree: either the uninstaller's removal worker on an uninstall
// record that lists every file of the tree, or a plain loop that deletes the same files and then the
// folders, deepest first. The listing and the record are made before the clock starts; prints "ms=<work>".
// Usage: remove_tree removal|plain <installation folder>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "benchclock.h"
#include "base/registry.h"
#include "base/registryview.h"
#include "install/uninstallrecord.h"
#include "uninstall/removal.h"

namespace {

const char kBenchKey[] = "NorbaBenchRemoval";

struct TREE {
  std::vector<std::string> Files;    // relative, '/' as the copy records them
  std::vector<std::string> Folders;  // relative, every folder after the folders inside it
};

void List(const std::string& root, const std::string& relative, TREE& tree) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((root + "\\" + relative + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      List(root, relative + name + "/", tree);
      tree.Folders.push_back(relative + name);
    } else {
      tree.Files.push_back(relative + name);
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

std::string Native(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

void RemovePlainly(const std::string& root, const TREE& tree) {
  for (const std::string& file : tree.Files) DeleteFileA((root + "\\" + Native(file)).c_str());
  for (const std::string& folder : tree.Folders) RemoveDirectoryA((root + "\\" + Native(folder)).c_str());
  RemoveDirectoryA(root.c_str());
}

bool WriteRecord(const std::string& root, const TREE& tree) {
  std::string files;
  for (const std::string& file : tree.Files) files += (files.empty() ? "" : "|") + file;
  REGISTRY record(HKEY_LOCAL_MACHINE, kUninstallKey, kBenchKey, MachineKeyMode(REGISTRY_CREATE));
  return record.IsOpen() && record.WriteString(kRecordPath, root.c_str()) &&
         record.WriteString(kRecordFiles, files.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (strcmp(argv[1], "removal") != 0 && strcmp(argv[1], "plain") != 0)) {
    fprintf(stderr, "usage: remove_tree removal|plain <installation folder>\n");
    return 2;
  }
  std::string root = argv[2];
  TREE tree;
  List(root, "", tree);
  bool removal = strcmp(argv[1], "removal") == 0;
  if (removal && !WriteRecord(root, tree)) {
    fprintf(stderr, "remove_tree: no uninstall record\n");
    return 1;
  }
  BENCHCLOCK clock;
  if (removal) {
    REMOVALARG arg;
    arg.KeyName = STRING(kBenchKey, 1252);
    arg.Hidden = true;
    RemoveProduct(&arg);
  } else {
    RemovePlainly(root, tree);
  }
  double ms = clock.Milliseconds();
  bool gone = GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES;
  printf("files=%d folders=%d gone=%d ms=%.0f\n", static_cast<int>(tree.Files.size()),
         static_cast<int>(tree.Folders.size()), gone ? 1 : 0, ms);
  // The removal deletes its record; the plain loop made none.
  return gone ? 0 : 1;
}
