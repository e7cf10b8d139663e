// The setup dialogs as a user meets them: karvod64.dll's ConfigDSNW runs the wizard over a window
// of this program while a second thread walks its pages, the About box, the encoding sheet, and
// the connection test against the development server with the login dialog, checks what they show
// (texts whole, nothing covered) and saves a picture of each in the five languages
// (build/windows/screenshots/). Runs in Wine's virtual desktop (scripts/wine-desktop-run).
#include <windows.h>
#include <odbcinst.h>
#include <sqlext.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "setup/resource.h"
#include "tests/support/DevServer.h"

namespace {

using ConfigDsnW = BOOL(WINAPI*)(HWND, WORD, LPCWSTR, LPCWSTR);

struct Language {
  const char* name;
  LANGID id;
  int column;  // of the language in setup/LocalizedTexts.inc
};

const Language languages[] = {{"en", 0x0409, 0}, {"de", 0x0407, 1}, {"fr", 0x040C, 2},
                              {"it", 0x0410, 3}, {"es", 0x0C0A, 4}};

struct LocalizedText {
  unsigned id;
  const char* texts[5];
};

#define KARVOD_TEXT(id, english, german, french, italian, spanish) \
  {id, {english, german, french, italian, spanish}},
const LocalizedText localizedTexts[] = {
#include "setup/LocalizedTexts.inc"
};
#undef KARVOD_TEXT

// What the driver should show for the string in the language.
std::wstring said(const Language& language, unsigned id) {
  for (const LocalizedText& text : localizedTexts) {
    if (text.id != id) continue;
    const char* utf8 = text.texts[language.column];
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], static_cast<int>(wide.size()));
    wide.pop_back();
    return wide;
  }
  return std::wstring();
}

// The text with each "%s" replaced by the next value.
std::wstring filled(std::wstring text, std::initializer_list<const wchar_t*> values) {
  std::size_t at = 0;
  for (const wchar_t* value : values) {
    at = text.find(L"%s", at);
    text.replace(at, 2, value);
    at += wcslen(value);
  }
  return text;
}

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// Failures seen by the walking thread, reported by the test's own thread.
class Findings {
 public:
  void add(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    list_.push_back(what);
  }
  std::vector<std::string> take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(list_);
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> list_;
};

bool waitFor(const std::function<bool()>& condition, int milliseconds = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    Sleep(50);
  }
  return condition();
}

HWND findDialog(const wchar_t* title) {
  HWND found = nullptr;
  // Visible only once its initialisation has set its texts.
  waitFor([&] {
    found = FindWindowW(L"#32770", title);
    return found != nullptr && IsWindowVisible(found);
  });
  return found;
}

std::wstring textOf(HWND dialog, int control) {
  wchar_t buffer[4096] = {};
  GetWindowTextW(control ? GetDlgItem(dialog, control) : dialog, buffer, 4096);
  return buffer;
}

bool enabled(HWND dialog, int control) { return IsWindowEnabled(GetDlgItem(dialog, control)); }

// Posted, so that a button that opens a modal dialog does not hold this thread.
void click(HWND dialog, int control) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
  Sleep(250);
}

void typeText(HWND dialog, int control, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::wstring comboItem(HWND dialog, int control, int position) {
  wchar_t buffer[256] = {};
  SendDlgItemMessageW(dialog, control, CB_GETLBTEXT, position, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

// A PNG of the window as it is on the screen, written with zlib.
void savePng(const std::string& path, int width, int height, const std::vector<BYTE>& bgra) {
  std::vector<BYTE> raw;
  raw.reserve(static_cast<std::size_t>(height) * (width * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      const BYTE* pixel = &bgra[(static_cast<std::size_t>(y) * width + x) * 4];
      raw.push_back(pixel[2]);
      raw.push_back(pixel[1]);
      raw.push_back(pixel[0]);
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<BYTE> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
  packed.resize(packedSize);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  auto be32 = [](std::vector<BYTE>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<BYTE>(value >> shift));
  };
  auto chunk = [&](const char* type, const std::vector<BYTE>& content) {
    std::vector<BYTE> out;
    be32(out, static_cast<uint32_t>(content.size()));
    std::vector<BYTE> body;
    for (int i = 0; i < 4; ++i) body.push_back(static_cast<BYTE>(type[i]));
    for (BYTE byte : content) body.push_back(byte);
    for (BYTE byte : body) out.push_back(byte);
    be32(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    std::fwrite(out.data(), 1, out.size(), file);
  };
  static const BYTE signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::fwrite(signature, 1, sizeof signature, file);
  std::vector<BYTE> header;
  be32(header, static_cast<uint32_t>(width));
  be32(header, static_cast<uint32_t>(height));
  for (BYTE byte : {8, 2, 0, 0, 0}) header.push_back(byte);
  chunk("IHDR", header);
  chunk("IDAT", packed);
  chunk("IEND", std::vector<BYTE>());
  std::fclose(file);
}

void screenshot(HWND window, const std::string& name) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(400);
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  std::vector<BYTE> pixels(static_cast<const BYTE*>(bits),
                           static_cast<const BYTE*>(bits) + static_cast<std::size_t>(width) * height * 4);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  CreateDirectoryW(L"..\\screenshots", nullptr);
  savePng("..\\screenshots\\" + name + ".png", width, height, pixels);
}

// Ends whatever dialogs of the thread are still open, so that a failed walk cannot hang.
void closeDialogs(DWORD thread) {
  for (int round = 0; round < 20; ++round) {
    std::vector<HWND> dialogs;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM list) -> BOOL {
          wchar_t name[16] = {};
          GetClassNameW(window, name, 16);
          if (lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window)) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialogs));
    if (dialogs.empty()) return;
    for (HWND dialog : dialogs) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    Sleep(200);
  }
}

using Check = std::function<void(bool ok, const std::string& what)>;

// What a user would see cut or covered among the controls in view: a label or button whose text,
// in the control's font, needs more room than the control has (statics that shorten their text
// with an ellipsis do so on purpose), and controls lying over one another.
std::vector<std::string> faultsInView(HWND dialog) {
  RECT view{};
  GetClientRect(dialog, &view);
  MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&view), 2);
  std::vector<std::pair<HWND, RECT>> shown;
  std::vector<std::string> faults;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT place{};
    GetWindowRect(child, &place);
    RECT common{};
    if (!IsWindowVisible(child) || !IntersectRect(&common, &place, &view)) continue;
    const std::string name = std::to_string(GetDlgCtrlID(child));
    for (const auto& other : shown) {
      if (IntersectRect(&common, &place, &other.second)) {
        faults.push_back(name + " lies over " + std::to_string(GetDlgCtrlID(other.first)));
      }
    }
    shown.emplace_back(child, place);

    wchar_t kind[16] = {};
    GetClassNameW(child, kind, 16);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const bool isStatic = lstrcmpiW(kind, L"Static") == 0;
    const bool isButton = lstrcmpiW(kind, L"Button") == 0;
    if (!(isStatic && (style & SS_TYPEMASK) <= SS_RIGHT && !(style & SS_ELLIPSISMASK)) &&
        !isButton) {
      continue;
    }
    const std::wstring text = textOf(child, 0);
    if (text.empty()) continue;
    RECT room{};
    GetClientRect(child, &room);
    HDC dc = GetDC(child);
    UINT format = DT_CALCRECT | DT_WORDBREAK | (isStatic && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    if (isButton) {
      const LONG button = style & BS_TYPEMASK;
      const bool checkBox = button == BS_AUTOCHECKBOX || button == BS_CHECKBOX ||
                            button == BS_AUTORADIOBUTTON || button == BS_RADIOBUTTON;
      // The box and its gap (13 and 4 pixels at 96 dpi), or the push button's frame.
      room.right -= checkBox ? MulDiv(17, GetDeviceCaps(dc, LOGPIXELSX), 96) : 4;
      if (!(style & BS_MULTILINE)) format = DT_CALCRECT | DT_SINGLELINE;
    }
    const HGDIOBJ before =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)));
    RECT need{0, 0, room.right, 0};
    DrawTextW(dc, text.c_str(), -1, &need, format);
    SelectObject(dc, before);
    ReleaseDC(child, dc);
    if (need.right > room.right || need.bottom > room.bottom) {
      faults.push_back(name + " cuts \"" + narrow(text) + "\": " + std::to_string(need.right) +
                       " x " + std::to_string(need.bottom) + " in " + std::to_string(room.right) +
                       " x " + std::to_string(room.bottom));
    }
  }
  return faults;
}

// Saves the picture and checks that everything in view can be read whole.
void look(HWND window, const std::string& name, const Check& check) {
  screenshot(window, name);
  for (const std::string& fault : faultsInView(window)) check(false, name + ": " + fault);
}

bool endsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Presses Test on the summary page. The wizard names no user, so the driver asks with the login
// dialog, which the walk answers with the development server's credentials and OK, or with
// Cancel. Answers the test sheet's report.
std::wstring runConnectionTest(HWND wizard, const Language& language, bool confirm,
                               const std::string& prefix, const Check& check) {
  click(wizard, 1115);
  HWND login = findDialog(said(language, IDS_LOGIN_TITLE).c_str());
  check(login != nullptr, "Test asks for the user with the login dialog");
  if (!login) return std::wstring();
  check(IsWindowVisible(login) && !IsWindowVisible(FindWindowW(L"#32770", said(language, IDS_TEST_TITLE).c_str())),
        "the login is shown before the test sheet");
  check(textOf(login, 410).empty(), "the login names no data source: the test lists none");
  check(textOf(login, 308) == said(language, IDS_DSN_LABEL), "label 308 reads " + narrow(textOf(login, 308)));
  check(textOf(login, 319) == said(language, IDS_UID_LABEL), "label 319 reads " + narrow(textOf(login, 319)));
  check(textOf(login, 321) == said(language, IDS_PWD_LABEL),
        "label 321 reads " + narrow(textOf(login, 321)));
  check(textOf(login, IDOK) == said(language, IDS_OK) && textOf(login, IDCANCEL) == said(language, IDS_CANCEL),
        "the login's buttons read OK and " + narrow(said(language, IDS_CANCEL)));
  check(textOf(login, 1103).empty() && textOf(login, 407).empty(), "user and password start empty");
  if (confirm) {
    typeText(login, 1103, L"karvell");
    typeText(login, 407, L"karvell");
    look(login, prefix + "login", check);
  }
  click(login, confirm ? IDOK : IDCANCEL);
  check(waitFor([&] { return !IsWindow(login); }), "the login closes");

  HWND sheet = findDialog(said(language, IDS_TEST_TITLE).c_str());
  check(sheet != nullptr, "the test sheet opens");
  if (!sheet) return std::wstring();
  check(textOf(sheet, 340) == said(language, IDS_TEST_LABEL), "label 340 reads " + narrow(textOf(sheet, 340)));
  check(textOf(sheet, IDOK) == said(language, IDS_OK), "the sheet's button reads OK");
  const std::wstring report = textOf(sheet, 1109);
  look(sheet, prefix + (confirm ? "test-succeeded" : "test-cancelled"), check);
  click(sheet, IDOK);
  check(waitFor([&] { return !IsWindow(sheet); }), "the test sheet closes");
  return report;
}

// port: the development server's, or 0 when the build has none (the test is not pressed).
void walkWizard(const Language& language, int port, Findings& findings) {
  const Check check = [&](bool ok, const std::string& what) {
    if (!ok) findings.add(std::string(language.name) + ": " + what);
  };
  const std::string prefix = std::string(language.name) + "-";
  HWND wizard = findDialog(said(language, IDS_WIZARD_TITLE).c_str());
  check(wizard != nullptr, "the wizard opens with its localized title");
  if (!wizard) return;
  check(textOf(wizard, 1104) == said(language, IDS_NEXT), "Next reads " + narrow(textOf(wizard, 1104)));
  check(!IsWindowVisible(GetDlgItem(wizard, 1115)), "Finish is hidden on the first page");
  look(wizard, prefix + "wizard-0-introduction", check);

  click(wizard, 301);
  HWND about = findDialog(said(language, IDS_ABOUT_TITLE).c_str());
  check(about != nullptr, "About opens");
  if (about) {
    check(!textOf(about, 1112).empty(), "About shows the version");
    check(!IsWindowVisible(GetDlgItem(about, 1114)), "the trace is off");
    check(textOf(about, 1113) == said(language, IDS_LOG_FILE_LABEL), "label 1113 reads " + narrow(textOf(about, 1113)));
    look(about, prefix + "about", check);
    for (int i = 0; i < 5; ++i) {
      PostMessageW(about, WM_COMMAND, MAKEWPARAM(298, STN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(about, 298)));
    }
    check(waitFor([&] { return IsWindowVisible(GetDlgItem(about, 1114)) != FALSE; }),
          "five logo clicks switch the trace on");
    const std::wstring path = textOf(about, 1114);
    check(path.size() > 15 && path.substr(path.size() - 15) == L"karvellodbc.log",
          "the trace file is karvellodbc.log: " + narrow(path));
    look(about, prefix + "about-trace-on", check);
    for (int i = 0; i < 5; ++i) {
      PostMessageW(about, WM_COMMAND, MAKEWPARAM(298, STN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(about, 298)));
    }
    check(waitFor([&] { return !IsWindowVisible(GetDlgItem(about, 1114)); }),
          "five more switch it off");
    click(about, IDOK);
    check(waitFor([&] { return !IsWindow(about); }), "About closes");
  }

  click(wizard, 1104);
  check(waitFor([&] { return enabled(wizard, 309); }), "Next shows the name page");
  check(!enabled(wizard, 1104), "Next waits for a name");
  look(wizard, prefix + "wizard-1-name", check);
  typeText(wizard, 309, L"KarvodSmoke");
  check(enabled(wizard, 1104), "typing a name enables Next");
  typeText(wizard, 309, L"bad;name");
  check(!enabled(wizard, 1104), "a name the installer refuses disables Next");
  typeText(wizard, 309, L"KarvodSmoke");
  typeText(wizard, 312, language.column == 1 ? L"Gr\u00fc\u00dfe" : L"Smoke test");

  click(wizard, 1104);
  check(waitFor([&] { return enabled(wizard, 315); }), "Next shows the connection page");
  check(textOf(wizard, 315) == L"127.0.0.1", "the host comes from the attributes");
  check(textOf(wizard, 1122) == L"4430", "the port is the default");
  const LRESULT count = SendDlgItemMessageW(wizard, 1124, CB_GETCOUNT, 0, 0);
  check(count == 4, "four encryption choices");
  check(comboItem(wizard, 1124, 0) == L"AES 128" && comboItem(wizard, 1124, 1) == L"AES 192" &&
            comboItem(wizard, 1124, 2) == L"AES 256" && comboItem(wizard, 1124, 3) == said(language, IDS_ENCRYPTION_NONE),
        "the choices sort as AES 128, AES 192, AES 256, none");
  check(SendDlgItemMessageW(wizard, 1124, CB_GETCURSEL, 0, 0) == 3, "no encryption is selected");
  typeText(wizard, 1122, L"70000");
  check(!enabled(wizard, 1104), "port 70000 disables Next");
  const std::wstring portText = std::to_wstring(port ? port : 4431);
  typeText(wizard, 1122, portText.c_str());
  check(enabled(wizard, 1104), "port " + narrow(portText) + " enables Next");
  look(wizard, prefix + "wizard-2-connection", check);

  click(wizard, 1104);
  check(waitFor([&] { return enabled(wizard, 325); }), "Next shows the database page");
  typeText(wizard, 325, L"default");
  PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(325, CBN_EDITUPDATE),
               reinterpret_cast<LPARAM>(GetDlgItem(wizard, 325)));
  Sleep(200);
  check(enabled(wizard, 1104), "a database enables Next");
  look(wizard, prefix + "wizard-3-database", check);
  click(wizard, 327);
  HWND sheet = findDialog(said(language, IDS_LANGUAGE_TITLE).c_str());
  check(sheet != nullptr, "the encoding sheet opens");
  if (sheet) {
    check(SendDlgItemMessageW(sheet, 1118, CB_GETCOUNT, 0, 0) == 2, "two encodings");
    check(comboItem(sheet, 1118, 1) == L"UTF-8", "UTF-8 sorts last");
    look(sheet, prefix + "language", check);
    click(sheet, IDCANCEL);
    check(waitFor([&] { return !IsWindow(sheet); }), "the sheet closes");
  }

  click(wizard, 1104);
  check(waitFor([&] { return enabled(wizard, 1110); }), "Next shows the summary");
  check(textOf(wizard, 1104) == said(language, IDS_DONE), "Next becomes Done");
  check(textOf(wizard, 1110).find(L"KarvodSmoke") != std::wstring::npos,
        "the summary names the DSN");
  check(textOf(wizard, 1115) == said(language, IDS_TEST), "Finish becomes Test");
  look(wizard, prefix + "wizard-4-summary", check);
  if (port) {
    const std::wstring succeeded = runConnectionTest(wizard, language, true, prefix, check);
    check(succeeded.find(filled(said(language, IDS_TEST_ATTEMPT), {L"default", L"127.0.0.1"})) == 0, "the report starts with the attempt: " +
                                                     narrow(succeeded));
    check(succeeded.find(said(language, IDS_TEST_VERSION) + L' ') != std::wstring::npos,
          "the report names the server's version");
    check(endsWith(succeeded, said(language, IDS_TEST_SUCCESS) + L"\r\n"),
          "the test succeeds: " + narrow(succeeded));
    const std::wstring cancelled = runConnectionTest(wizard, language, false, prefix, check);
    check(cancelled.find(said(language, IDS_TEST_VERSION) + L' ') == std::wstring::npos &&
              endsWith(cancelled, said(language, IDS_TEST_CANCELLED) + L"\r\n"),
          "Cancel cancels the test: " + narrow(cancelled));
  }
  click(wizard, 1104);
  check(waitFor([&] { return !IsWindow(wizard); }), "Done closes the wizard");
}

LRESULT CALLBACK ownerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

class Dialogs : public ::testing::TestWithParam<Language> {};

TEST_P(Dialogs, WizardAboutEncodingSheetAndConnectionTest) {
  const Language& language = GetParam();
  HMODULE driver = LoadLibraryW(L"karvod64.dll");
  ASSERT_NE(driver, nullptr);
  auto configDsn = reinterpret_cast<ConfigDsnW>(
      reinterpret_cast<void*>(GetProcAddress(driver, "ConfigDSNW")));
  ASSERT_NE(configDsn, nullptr);

  // Created on this thread, as the fixture asks; without a server binary the walk presses no Test.
  std::unique_ptr<testsupport::DevServer> server;
  if (!testsupport::DevServer::executable().empty()) {
    server = std::make_unique<testsupport::DevServer>();
    ASSERT_TRUE(server->running());
  }
  const int port = server ? server->port() : 0;

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ownerProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KarvodSmokeOwner";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  RegisterClassW(&windowClass);
  HWND owner = CreateWindowW(L"KarvodSmokeOwner", L"ODBC Data Sources", WS_OVERLAPPEDWINDOW,
                             20, 20, 1100, 800, nullptr, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
  ShowWindow(owner, SW_SHOW);
  SetThreadLocale(MAKELCID(language.id, SORT_DEFAULT));
  // The walk switches the trace on and off again from off.
  SQLWritePrivateProfileStringW(L"Karvell ODBC", L"TraceFile", L"", L"ODBCINST.INI");

  Findings findings;
  const DWORD self = GetCurrentThreadId();
  std::thread walker([&] {
    walkWizard(language, port, findings);
    closeDialogs(self);
  });
  const BOOL added = configDsn(owner, ODBC_ADD_DSN, L"Karvell ODBC", L"Server=127.0.0.1\0");
  walker.join();
  for (const std::string& finding : findings.take()) ADD_FAILURE() << finding;
  EXPECT_TRUE(added);

  wchar_t value[64] = {};
  SQLSetConfigMode(ODBC_BOTH_DSN);
  EXPECT_GT(SQLGetPrivateProfileStringW(L"KarvodSmoke", L"Port", L"", value, 64, L"ODBC.INI"), 0);
  EXPECT_EQ(std::wstring(value), std::to_wstring(port ? port : 4431));
  EXPECT_TRUE(configDsn(nullptr, ODBC_REMOVE_DSN, L"Karvell ODBC", L"DSN=KarvodSmoke\0"));
  DestroyWindow(owner);
  SetThreadLocale(MAKELCID(0x0409, SORT_DEFAULT));
}

INSTANTIATE_TEST_SUITE_P(Languages, Dialogs, ::testing::ValuesIn(languages),
                         [](const ::testing::TestParamInfo<Language>& info) {
                           return std::string(info.param.name);
                         });

// SQLDriverConnectW of the driver itself, the login dialog answered on the virtual desktop: the
// string it completes connects again as it stands; given no window, no dialog appears.
TEST(PromptedConnect, TheLoginsStringConnectsAgainAndANullWindowShowsNothing) {
  if (testsupport::DevServer::executable().empty()) GTEST_SKIP() << "no development server";
  testsupport::DevServer server;
  ASSERT_TRUE(server.running());
  HMODULE driver = LoadLibraryW(L"karvod64.dll");
  ASSERT_NE(driver, nullptr);
  const auto entry = [driver](const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(driver, name));
  };
  const auto allocHandle = reinterpret_cast<decltype(&SQLAllocHandle)>(entry("SQLAllocHandle"));
  const auto driverConnect =
      reinterpret_cast<decltype(&SQLDriverConnectW)>(entry("SQLDriverConnectW"));
  const auto disconnect = reinterpret_cast<decltype(&SQLDisconnect)>(entry("SQLDisconnect"));
  const auto freeHandle = reinterpret_cast<decltype(&SQLFreeHandle)>(entry("SQLFreeHandle"));
  ASSERT_TRUE(allocHandle && driverConnect && disconnect && freeHandle);
  SQLHENV env = SQL_NULL_HENV;
  ASSERT_EQ(allocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_SUCCESS);
  // One connect on a new handle; answers its return code and the completed string.
  const auto connect = [&](const std::wstring& in, HWND window, SQLUSMALLINT completion,
                           std::wstring& out) {
    SQLHDBC dbc = SQL_NULL_HDBC;
    allocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::vector<SQLWCHAR> text(in.begin(), in.end());
    text.push_back(0);
    SQLWCHAR completed[1024] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = driverConnect(dbc, window, text.data(), SQL_NTS, completed, 1024,
                                       &length, completion);
    out.assign(completed, completed + (SQL_SUCCEEDED(rc) ? length : 0));
    disconnect(dbc);
    freeHandle(SQL_HANDLE_DBC, dbc);
    return rc;
  };
  HWND owner = CreateWindowW(L"STATIC", L"Application", WS_OVERLAPPEDWINDOW, 20, 20, 600, 400,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(owner, SW_SHOW);
  const std::wstring in =
      L"SERVER=127.0.0.1;PORT=" + std::to_wstring(server.port()) + L";DATABASE=default;";

  Findings findings;
  const Check check = [&findings](bool ok, const std::string& what) {
    if (!ok) findings.add(what);
  };
  const DWORD self = GetCurrentThreadId();
  std::thread walker([&] {
    HWND login = findDialog(said(languages[0], IDS_LOGIN_TITLE).c_str());
    check(login != nullptr, "SQL_DRIVER_COMPLETE without a user asks with the login dialog");
    if (login != nullptr) {
      typeText(login, 1103, L"karvell");
      typeText(login, 407, L"karvell");
      click(login, IDOK);
      check(waitFor([&] { return !IsWindow(login); }), "the login closes");
    }
    closeDialogs(self);
  });
  std::wstring out;
  const SQLRETURN rc = connect(in, owner, SQL_DRIVER_COMPLETE, out);
  walker.join();
  for (const std::string& finding : findings.take()) ADD_FAILURE() << finding;
  EXPECT_EQ(rc, SQL_SUCCESS);
  EXPECT_EQ(out, L"DRIVER={Karvell ODBC};" + in + L"UID=karvell;PWD=karvell;");
  std::wstring again;
  EXPECT_EQ(connect(out, nullptr, SQL_DRIVER_NOPROMPT, again), SQL_SUCCESS);

  // No window: the login is missing and no dialog comes to ask for it.
  std::atomic<bool> connecting{true};
  std::atomic<bool> shown{false};
  std::thread watcher([&] {
    while (connecting) {
      if (FindWindowW(L"#32770", said(languages[0], IDS_LOGIN_TITLE).c_str()) != nullptr) {
        shown = true;
        closeDialogs(self);
      }
      Sleep(50);
    }
  });
  for (const SQLUSMALLINT mode :
       {SQL_DRIVER_PROMPT, SQL_DRIVER_COMPLETE, SQL_DRIVER_COMPLETE_REQUIRED}) {
    EXPECT_EQ(connect(in, nullptr, mode, again), SQL_ERROR) << mode;
  }
  connecting = false;
  watcher.join();
  EXPECT_FALSE(shown);
  DestroyWindow(owner);
  freeHandle(SQL_HANDLE_ENV, env);
}

}  // namespace
