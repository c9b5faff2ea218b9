// Dialogs with data: DATADIALOGBASE keeps the data items and the controls to disable, DATADIALOG moves
// the data between items and controls and ends on a button that no item takes, DATADIALOGBOX is such a
// dialog used as a window of its own.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/datadialogitems.h"
#include "ui/windows_win32.h"

class DATADIALOGBASE {
 public:
  static const int kMaxItems = 32;

  DATADIALOGBASE() = default;
  virtual ~DATADIALOGBASE() = default;
  DATADIALOGBASE(const DATADIALOGBASE&) = delete;
  DATADIALOGBASE& operator=(const DATADIALOGBASE&) = delete;

  // Takes over the item; beyond kMaxItems the report "this->Howmany < this->Max" and the item is dropped.
  bool AddItem(DATAITEM* item);
  // A control that is disabled whenever the data go into the controls.
  void AddDisabledControl(int control) { Disabled.push_back(control); }

 protected:
  DATAITEM* ItemOf(int control) const;

  std::unique_ptr<DATAITEM> Items[kMaxItems];
  int Howmany = 0;
  std::vector<int> Disabled;
};

class DATADIALOG : public DATADIALOGBASE, public DIALOG {
 public:
  DATADIALOG(int layoutid, HWND parent, HINSTANCE module = nullptr) : DIALOG(layoutid, parent, module) {}

  void TransferToControls();
  // Takes the controls' values back only while the transfer flag is set.
  void TransferFromControls();
  void SetTransferBack(bool on) { TransferBack = on; }

 protected:
  // A click of a button that an item takes runs the item; any other button ends the dialog with its id,
  // Cancel with 0.
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool TransferBack = true;
};

class DATADIALOGBOX : public DATADIALOG {
 public:
  static const int kPairs = 16;

  DATADIALOGBOX(int layoutid, HWND parent, HINSTANCE module = nullptr);

 protected:
  struct PAIR {
    int Control = 0;
    int Value = -1;
  };
  PAIR Pairs[kPairs];
};
