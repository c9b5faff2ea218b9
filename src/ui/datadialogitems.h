// The data items of the toolkit's dialogs: each binds one control to one value of its owner and moves
// the value into the control and back, or runs a callback when its button is clicked.
#pragma once

#include <windows.h>

#include "base/strings.h"

class DATAITEM {
 public:
  explicit DATAITEM(int control) : Control(control) {}
  virtual ~DATAITEM() = default;
  DATAITEM(const DATAITEM&) = delete;
  DATAITEM& operator=(const DATAITEM&) = delete;

  int GetControl() const { return Control; }
  virtual void ToControl(HWND dialog) = 0;
  virtual void FromControl(HWND dialog) = 0;
  // A click of the bound button; false when the item takes no clicks (the dialog then ends).
  virtual bool Click(HWND) { return false; }

 protected:
  int Control;
};

// A radio button for the value `own` of a numeric text, with an optional 4-byte integer mirror.
class RADIOITEM : public DATAITEM {
 public:
  RADIOITEM(int control, STRING* value, int own, void* mirror = nullptr, int mirrorsize = 4)
      : DATAITEM(control), Value(value), Own(own), Mirror(mirror), MirrorSize(mirrorsize) {}
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;

 private:
  STRING* Value;
  int Own;
  void* Mirror;
  int MirrorSize;
};

// The control's text.
class TEXTITEM : public DATAITEM {
 public:
  TEXTITEM(int control, STRING* value) : DATAITEM(control), Value(value) {}
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;

 private:
  STRING* Value;
};

// A button whose click calls `callback` (owner window, data, first, second) instead of ending the dialog.
typedef void (*PUSHCALLBACK)(HWND owner, STRING* data, void* first, void* second);

class PUSHITEM : public DATAITEM {
 public:
  PUSHITEM(int control, STRING* data, PUSHCALLBACK callback, void* first, void* second)
      : DATAITEM(control), Data(data), Callback(callback), First(first), Second(second) {}
  // The data is the caption.
  void ToControl(HWND dialog) override;
  void FromControl(HWND) override {}
  bool Click(HWND dialog) override;

 private:
  static const unsigned kMagic = 0x50555348;  // "PUSH"
  unsigned Magic = kMagic;
  STRING* Data;
  PUSHCALLBACK Callback;
  void* First;
  void* Second;
};

// A button that lets the user choose a path for the control `target`, starting from its text: `data` is
// the caption and a filter joined by "|"; the filter "*" chooses a folder, any other a file.
class BROWSEITEM : public PUSHITEM {
 public:
  BROWSEITEM(int control, STRING* data, int target);
  // The button keeps the caption of its layout.
  void ToControl(HWND) override {}

 private:
  static void Browse(HWND owner, STRING* data, void* target, void*);
};
