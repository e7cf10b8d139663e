#include "setup/win32/Win32DialogSystem.h"

#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <vector>

#include "platform/ModuleInfo.h"
#include "setup/CenterOnParent.h"

namespace {

const wchar_t* wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

HINSTANCE module() { return static_cast<HINSTANCE>(platform::moduleHandle()); }

std::u16string windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::u16string();
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(&text[0]), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

bool isComboBox(HWND control) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  return lstrcmpiW(name, L"ComboBox") == 0;
}

class Win32Dialog : public DialogWindow {
 public:
  Win32Dialog(HWND window, HWND parent) : window_(window), parent_(parent) {}
  ~Win32Dialog() override {
    for (HBITMAP bitmap : bitmaps_) DeleteObject(bitmap);
  }
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  void* handle() const override { return window_; }
  void setTitle(const std::u16string& text) override { SetWindowTextW(window_, wide(text)); }
  void setText(int control, const std::u16string& text) override {
    SetDlgItemTextW(window_, control, wide(text));
  }
  std::u16string text(int control) const override { return windowText(item(control)); }
  void setEnabled(int control, bool enabled) override { EnableWindow(item(control), enabled); }
  void setVisible(int control, bool visible) override {
    ShowWindow(item(control), visible ? SW_SHOW : SW_HIDE);
  }
  bool isChecked(int control) const override {
    return IsDlgButtonChecked(window_, control) == BST_CHECKED;
  }
  void setChecked(int control, bool checked) override {
    CheckDlgButton(window_, control, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  void setTextLimit(int control, int units) override {
    HWND target = item(control);
    SendMessageW(target, isComboBox(target) ? CB_LIMITTEXT : EM_LIMITTEXT,
                 static_cast<WPARAM>(units), 0);
  }
  void setFocus(int control) override {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(control)), TRUE);
  }
  void setDefaultButton(int control) override {
    SendMessageW(window_, DM_SETDEFID, static_cast<WPARAM>(control), 0);
  }
  void placeAfter(int control, int previous) override {
    SetWindowPos(item(control), previous ? item(previous) : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  int controlLeft(int control) const override { return clientRect(control).left; }
  int controlRight(int control) const override { return clientRect(control).right; }
  void moveControl(int control, int dx) override {
    const RECT at = clientRect(control);
    SetWindowPos(item(control), nullptr, at.left + dx, at.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  void setClientWidth(int width) override {
    RECT outer{};
    RECT client{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &client);
    const int frame = (outer.right - outer.left) - client.right;
    SetWindowPos(window_, nullptr, 0, 0, width + frame, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void centerOnParent() override {
    RECT own{};
    GetWindowRect(window_, &own);
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT parent = desktop;
    if (parent_ && IsWindow(parent_)) {
      GetClientRect(parent_, &parent);
      MapWindowPoints(parent_, nullptr, reinterpret_cast<POINT*>(&parent), 2);
    }
    const ScreenPoint at = ::centerOnParent(
        own.right - own.left, own.bottom - own.top,
        ScreenRect{parent.left, parent.top, parent.right, parent.bottom},
        ScreenRect{desktop.left, desktop.top, desktop.right, desktop.bottom});
    MoveWindow(window_, at.x, at.y, own.right - own.left, own.bottom - own.top, TRUE);
  }
  void clearCombo(int control) override { SendDlgItemMessageW(window_, control, CB_RESETCONTENT, 0, 0); }
  void addComboItem(int control, const std::u16string& text) override {
    SendDlgItemMessageW(window_, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
  }
  int comboCount(int control) const override {
    return static_cast<int>(SendDlgItemMessageW(window_, control, CB_GETCOUNT, 0, 0));
  }
  std::u16string comboItem(int control, int position) const override {
    const LRESULT length = SendDlgItemMessageW(window_, control, CB_GETLBTEXTLEN, position, 0);
    if (length <= 0) return std::u16string();
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    SendDlgItemMessageW(window_, control, CB_GETLBTEXT, position,
                        reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(length));
    return text;
  }
  void selectComboItem(int control, int position) override {
    SendDlgItemMessageW(window_, control, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  }
  int textWidth(int control, const std::u16string& text) const override {
    HWND target = item(control);
    HDC context = GetDC(target);
    if (!context) return 0;
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HGDIOBJ>(
                                                 SendMessageW(target, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(context, wide(text), static_cast<int>(text.size()), &size);
    SelectObject(context, previous);
    ReleaseDC(target, context);
    return size.cx;
  }
  void setBitmap(int control, int bitmap) override {
    HANDLE image = LoadImageW(module(), MAKEINTRESOURCEW(bitmap), IMAGE_BITMAP, 0, 0,
                              LR_DEFAULTCOLOR);
    if (!image) return;
    bitmaps_.push_back(static_cast<HBITMAP>(image));
    SendDlgItemMessageW(window_, control, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(image));
  }
  bool chooseSaveFile(const std::u16string& title,
                      const std::vector<std::pair<std::u16string, std::u16string>>& filters,
                      std::u16string& path) override {
    std::u16string filter;
    for (const auto& entry : filters) filter += entry.first + u'\0' + entry.second + u'\0';
    filter += u'\0';
    std::vector<wchar_t> file(32768, L'\0');
    for (std::size_t i = 0; i < path.size() && i + 1 < file.size(); ++i) file[i] = path[i];
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = wide(filter);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = wide(title);
    dialog.Flags = OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&dialog)) return false;
    path.assign(file.data(), file.data() + lstrlenW(file.data()));
    return true;
  }
  void close(bool confirmed) override { EndDialog(window_, confirmed ? IDOK : IDCANCEL); }

 private:
  HWND item(int control) const { return GetDlgItem(window_, control); }
  RECT clientRect(int control) const {
    RECT rect{};
    GetWindowRect(item(control), &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  HWND window_;
  HWND parent_;
  std::vector<HBITMAP> bitmaps_;
};

// One modal run: the handler and, once the dialog exists, its window.
struct ModalRun {
  DialogHandler& handler;
  HWND parent;
  std::unique_ptr<Win32Dialog> window;
};

INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* run = reinterpret_cast<ModalRun*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(run));
    run->window = std::make_unique<Win32Dialog>(window, run->parent);
    run->handler.onInitDialog(*run->window);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  auto* run = reinterpret_cast<ModalRun*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!run || !run->window) return FALSE;
  return run->handler.onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
}

class Win32DialogSystem : public DialogSystem {
 public:
  DialogOutcome runModal(int templateId, void* parent, DialogHandler& handler) override {
    ModalRun run{handler, static_cast<HWND>(parent), nullptr};
    const INT_PTR result =
        DialogBoxParamW(module(), MAKEINTRESOURCEW(templateId), static_cast<HWND>(parent),
                        dialogProcedure, reinterpret_cast<LPARAM>(&run));
    if (result == -1 || result == 0) return DialogOutcome::failed;
    return result == IDOK ? DialogOutcome::confirmed : DialogOutcome::cancelled;
  }

  void showMessage(const std::u16string& text, const std::u16string& title) override {
    MessageBoxW(GetActiveWindow(), wide(text), wide(title), MB_OK | MB_ICONEXCLAMATION);
  }

  bool confirm(void* parent, const std::u16string& text, const std::u16string& title) override {
    return MessageBoxW(static_cast<HWND>(parent), wide(text), wide(title), MB_OKCANCEL) == IDOK;
  }

  bool startProgram(const std::u16string& path) override {
    std::vector<wchar_t> commandLine(path.begin(), path.end());
    commandLine.push_back(L'\0');
    wchar_t desktop[] = L"winsta0\\default";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
};

}  // namespace

DialogSystem& win32DialogSystem() {
  static Win32DialogSystem system;
  return system;
}
