#pragma once
// The warning box of the wizard and of data source configuration: OK only, owned by the active
// window. Without a dialog system nothing is shown.
#include <string>

class QuorinMsgBox {
 public:
  // The flags are accepted for the callers' sake; the box always shows OK and a warning icon.
  static void show(const std::u16string& text, const std::u16string& title, unsigned flags);

  virtual ~QuorinMsgBox() = default;
  virtual bool onCommand(int control, int notification);

 private:
  QuorinMsgBox(const std::u16string& text, const std::u16string& title);
};
