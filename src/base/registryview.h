// The registry view of every HKEY_LOCAL_MACHINE key the program writes or reads, chosen once for the
// whole program: the installation, the uninstaller, the admin commands and the product hooks must all
// find the same keys. Every REGISTRY opened on HKEY_LOCAL_MACHINE passes its mode through MachineKeyMode.
#pragma once

#include "base/registry.h"

// The view is the program's own one, with no KEY_WOW64_* flag: for the shipped 32-bit setup.exe on
// 64-bit Windows that is the 32-bit view (HKEY_LOCAL_MACHINE\Software\Wow6432Node), on 32-bit Windows
// the only view there is. Why the 32-bit view and not the 64-bit one:
//  - the uninstall records of earlier product generations were written by an earlier 32-bit setup in
//    this view; the product hooks read and replace them, and a new installation finds its predecessor
//    there;
//  - Windows lists uninstall records of both views under "Programs and Features", so the product is
//    offered for removal either way;
//  - keys opened by REGISTRY(app, basekey, 0) (admin commands, prerequisite checks of 32-bit
//    components) can only use this view, so every HKEY_LOCAL_MACHINE key of the program stays in one;
//  - the 64-bit view has no create mode in REGISTRY, and a 32-bit Windows has no 64-bit view at all.
// The x86_64 test build runs the same code in its own (64-bit) view, consistently for writer and reader.
// Keys below HKEY_CLASSES_ROOT and HKEY_CURRENT_USER are opened without a view flag as well; the file-type
// and protocol keys there are shared by both views.
//
// `mode` is REGISTRY_READ, REGISTRY_WRITE or REGISTRY_CREATE; the result is the open mode that reaches
// that access in the program's view.
constexpr int MachineKeyMode(int mode) { return mode; }
