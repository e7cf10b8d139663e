#include "setup/ConfigDsn.h"

// The installer header needs the platform's ODBC types first.
#include "platform/Odbc.h"

#include <odbcinst.h>

#include <utility>
#include <vector>

#include "core/AttributeString.h"
#include "core/Unicode.h"
#include "platform/CodePage.h"
#include "platform/Export.h"
#include "platform/OdbcInstaller.h"
#include "setup/AttributeList.h"
#include "setup/QuorinMsgBox.h"
#include "setup/SetupDialog.h"
#include "setup/SetupPanes.h"
#include "setup/SetupText.h"
#include "setup/resource.h"

namespace {

using Entries = std::vector<std::pair<std::u16string, std::u16string>>;

const char16_t odbcIni[] = u"ODBC.INI";

// The error the request ends with, posted after the last installer call: the installer's own
// calls clear the error list.
struct InstallerError {
  unsigned long code = 0;
  std::u16string message;

  bool fail(unsigned long errorCode, std::u16string text) {
    code = errorCode;
    message = std::move(text);
    return false;
  }
};

// Switches the installer to `mode` for one sequence of calls and puts the mode back.
class ModeScope {
 public:
  explicit ModeScope(unsigned short mode) : lock_(platform::configModeMutex()) {
    platform::getConfigMode(previous_);
    platform::setConfigMode(mode);
  }
  ~ModeScope() { platform::setConfigMode(previous_); }
  ModeScope(const ModeScope&) = delete;
  ModeScope& operator=(const ModeScope&) = delete;

 private:
  platform::MutexLock lock_;
  unsigned short previous_ = ODBC_BOTH_DSN;
};

unsigned short currentConfigMode() {
  platform::MutexLock lock(platform::configModeMutex());
  unsigned short mode = 65535;
  platform::getConfigMode(mode);
  return mode;
}

// A DSN exists in a scope when its section there names a driver.
bool existsIn(const std::u16string& name, unsigned short mode) {
  ModeScope scope(mode);
  SQLWCHAR driver[256] = {};
  return platform::getPrivateProfileStringW(sqlWide(name), sqlWide(u"Driver"), sqlWide(u""),
                                            driver, 256, sqlWide(odbcIni)) > 0;
}

bool writeKeys(const std::u16string& name, const Entries& entries, unsigned short mode) {
  ModeScope scope(mode);
  for (const auto& entry : entries) {
    // The driver never reads a password from a data source: one given here is not stored.
    if (entry.first == u"DSN" || isSecretKey(entry.first)) continue;
    if (!platform::writePrivateProfileStringW(sqlWide(name), sqlWide(entry.first),
                                              sqlWide(entry.second), sqlWide(odbcIni))) {
      return false;
    }
  }
  return true;
}

bool writeDsn(const std::u16string& name, const std::u16string& driver, const Entries& entries,
              unsigned short mode) {
  {
    ModeScope scope(mode);
    if (!platform::writeDsnToIniW(sqlWide(name), sqlWide(driver))) return false;
  }
  return writeKeys(name, entries, mode);
}

bool removeIn(const std::u16string& name, unsigned short mode) {
  ModeScope scope(mode);
  return platform::removeDsnFromIniW(sqlWide(name));
}

// Every key of the DSN but its driver, with its value.
Entries readKeys(const std::u16string& name, unsigned short mode) {
  ModeScope scope(mode);
  std::vector<SQLWCHAR> names(8192);
  const int length = platform::getPrivateProfileStringW(sqlWide(name), nullptr, sqlWide(u""),
                                                        names.data(), 8192, sqlWide(odbcIni));
  Entries entries;
  for (int at = 0; at < length && names[at] != 0;) {
    const std::u16string key(names.data() + at, names.data() + at + utf16Length(names.data() + at));
    at += static_cast<int>(key.size()) + 1;
    if (key == u"Driver") continue;
    std::vector<SQLWCHAR> value(4096);
    platform::getPrivateProfileStringW(sqlWide(name), sqlWide(key), sqlWide(u""), value.data(),
                                       4096, sqlWide(odbcIni));
    entries.emplace_back(key, wideText(value.data()));
  }
  return entries;
}

bool sameNameForInstaller(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

const std::u16string* dsnValue(const Entries& entries) {
  for (const auto& entry : entries) {
    if (entry.first == u"DSN") return &entry.second;
  }
  return nullptr;
}

// The scope a configure request works in: the one the mode names, or for ODBC_BOTH_DSN the
// one holding the DSN (the system scope first, as the DSN readers choose). 65535: nowhere.
unsigned short scopeHolding(const std::u16string& name, unsigned short mode) {
  if (mode == ODBC_USER_DSN || mode == ODBC_SYSTEM_DSN) return existsIn(name, mode) ? mode : 65535;
  if (existsIn(name, ODBC_SYSTEM_DSN)) return ODBC_SYSTEM_DSN;
  return existsIn(name, ODBC_USER_DSN) ? ODBC_USER_DSN : 65535;
}

unsigned short otherScope(unsigned short mode) {
  return mode == ODBC_USER_DSN ? ODBC_SYSTEM_DSN : ODBC_USER_DSN;
}

class Request {
 public:
  Request(void* window, const std::u16string& driver, const char16_t* attributes)
      : window_(window), driver_(driver), attributes_(attributes),
        entries_(attributeEntries(attributes)) {}

  bool add();
  bool configure();
  bool remove();

  InstallerError error;

 private:
  bool requireName(const std::u16string*& name);
  bool wizard(const std::u16string& name, unsigned mode, Entries& result);
  bool replace(const std::u16string& name, const Entries& entries, unsigned short mode,
               const std::u16string& oldName, unsigned short oldMode);
  bool declined(const std::u16string& name);

  void* window_;
  std::u16string driver_;
  const char16_t* attributes_;
  Entries entries_;
};

bool Request::requireName(const std::u16string*& name) {
  name = dsnValue(entries_);
  if (name && isValidDsnName(*name)) return true;
  if (!name) {
    const std::u16string message =
        u"The administrator application is unable to read the DSN information. See the Karvell "
        u"ODBC documentation for instructions on configuring data sources.";
    if (window_) QuorinMsgBox::show(message, u"Unable to configure DSN", 0);
    return error.fail(ODBC_ERROR_INVALID_KEYWORD_VALUE, message);
  }
  return error.fail(ODBC_ERROR_INVALID_KEYWORD_VALUE,
                    u"\"" + *name + u"\" is not a valid data source name.");
}

bool Request::wizard(const std::u16string& name, unsigned mode, Entries& result) {
  DialogOutcome outcome = DialogOutcome::failed;
  const std::u16string list = runSetupDialog(
      window_, driver_, name, attributes_ ? std::u16string(attributes_) : std::u16string(), mode,
      outcome);
  if (outcome == DialogOutcome::failed) {
    return error.fail(ODBC_ERROR_REQUEST_FAILED, u"The setup dialog could not be shown.");
  }
  result = attributeEntries(list.c_str());
  return true;
}

// Writes the DSN with all its keys first; only then removes the one it replaces, unless the
// installer takes both names for one.
bool Request::replace(const std::u16string& name, const Entries& entries, unsigned short mode,
                      const std::u16string& oldName, unsigned short oldMode) {
  if (!writeDsn(name, driver_, entries, mode)) {
    return error.fail(ODBC_ERROR_REQUEST_FAILED,
                      u"The data source \"" + name + u"\" could not be written.");
  }
  if (oldName.empty() || (mode == oldMode && sameNameForInstaller(name, oldName))) return true;
  if (!removeIn(oldName, oldMode)) {
    return error.fail(ODBC_ERROR_REQUEST_FAILED,
                      u"The data source \"" + oldName + u"\" could not be removed.");
  }
  return true;
}

// With a window, asks about overwriting the DSN in each scope that holds it (the user scope
// first); true when the user declines one.
bool Request::declined(const std::u16string& name) {
  if (!window_) return false;
  for (unsigned short scope : {ODBC_USER_DSN, ODBC_SYSTEM_DSN}) {
    if (!existsIn(name, scope)) continue;
    DialogSystem* system = dialogSystem();
    if (!system || !system->confirm(window_, formatText(localizedText(IDS_OVERWRITE), {name}),
                                    localizedText(IDS_WIZARD_TITLE))) {
      return true;
    }
  }
  return false;
}

bool Request::add() {
  Entries entries = entries_;
  if (window_) {
    if (!wizard(std::u16string(), SetupDialog::addMode, entries)) return false;
    if (entries.empty()) return true;
  }
  const std::u16string* found = dsnValue(entries);
  if (!window_ && !requireName(found)) return false;
  if (!found) return error.fail(ODBC_ERROR_INVALID_KEYWORD_VALUE, u"No data source name is given.");
  const std::u16string name = *found;
  unsigned short mode = currentConfigMode();
  if (mode != ODBC_USER_DSN) mode = ODBC_SYSTEM_DSN;
  if (declined(name)) return true;
  // The same name in the other scope is replaced too.
  const unsigned short other = otherScope(mode);
  return replace(name, entries, mode, existsIn(name, other) ? name : std::u16string(), other);
}

bool Request::configure() {
  const std::u16string* found = nullptr;
  if (!requireName(found)) return false;
  const std::u16string name = *found;
  const unsigned short mode = scopeHolding(name, currentConfigMode());
  if (mode == 65535) {
    return error.fail(ODBC_ERROR_REQUEST_FAILED,
                      u"The data source \"" + name + u"\" does not exist.");
  }
  if (!window_) {
    if (writeKeys(name, entries_, mode)) return true;
    return error.fail(ODBC_ERROR_REQUEST_FAILED,
                      u"The data source \"" + name + u"\" could not be written.");
  }
  Entries entries;
  if (!wizard(name, SetupDialog::configureMode, entries)) return false;
  if (entries.empty()) return true;
  const std::u16string* renamed = dsnValue(entries);
  if (!renamed) return error.fail(ODBC_ERROR_INVALID_KEYWORD_VALUE, u"No data source name is given.");
  const std::u16string newName = *renamed;
  if (newName == name) {
    if (writeKeys(name, entries, mode)) return true;
    return error.fail(ODBC_ERROR_REQUEST_FAILED,
                      u"The data source \"" + name + u"\" could not be written.");
  }
  // A renamed DSN keeps the keys the wizard does not manage.
  Entries all = readKeys(name, mode);
  for (const auto& entry : entries) {
    bool replaced = false;
    for (auto& kept : all) {
      if (sameNameForInstaller(kept.first, entry.first)) {
        kept.second = entry.second;
        replaced = true;
      }
    }
    if (!replaced) all.push_back(entry);
  }
  return replace(newName, all, mode, name, mode);
}

bool Request::remove() {
  const std::u16string* name = dsnValue(entries_);
  if (!name || name->empty()) {
    return error.fail(ODBC_ERROR_INVALID_KEYWORD_VALUE, u"No data source name is given.");
  }
  if (removeIn(*name, currentConfigMode())) return true;
  return error.fail(ODBC_ERROR_REQUEST_FAILED,
                    u"The data source \"" + *name + u"\" could not be removed.");
}

// The narrow list in the system's code page (UTF-8 on POSIX), through its final empty entry.
std::u16string widenList(const char* text) {
  if (!text || !*text) return std::u16string(1, u'\0');
  std::size_t bytes = 0;
  while (text[bytes] != 0 || text[bytes + 1] != 0) ++bytes;
  ++bytes;
  std::u16string wide(bytes + 1, u'\0');
  wide.resize(platform::codePageToUtf16(platform::systemCodePage(), text, bytes, &wide[0],
                                        wide.size()));
  return wide + u'\0';
}

std::u16string widenText(const char* text) {
  if (!text) return std::u16string();
  const std::size_t bytes = std::char_traits<char>::length(text);
  std::u16string wide(bytes + 1, u'\0');
  wide.resize(platform::codePageToUtf16(platform::systemCodePage(), text, bytes, &wide[0],
                                        wide.size()));
  return wide;
}

}  // namespace

bool configDsn(void* window, unsigned short request, const char16_t* driverName,
               const char16_t* attributes) {
  if (!driverName || !*driverName) {
    platform::postInstallerErrorW(ODBC_ERROR_INVALID_NAME, sqlWide(u"A driver name is required."));
    return false;
  }
  Request work(window, driverName, attributes);
  bool done = true;
  switch (request) {
    case ODBC_ADD_DSN: done = work.add(); break;
    case ODBC_CONFIG_DSN: done = work.configure(); break;
    case ODBC_REMOVE_DSN: done = work.remove(); break;
    default: break;
  }
  if (!done) platform::postInstallerErrorW(work.error.code, sqlWide(work.error.message));
  return done;
}

#ifdef _WIN32
#define KARVOD_SETUP_WINDOW(window) (window)
#else
// No dialogs here: every request is handled as without a window.
#define KARVOD_SETUP_WINDOW(window) (static_cast<void>(window), nullptr)
#endif

KARVOD_EXPORT BOOL ConfigDSNW(HWND window, WORD request, const SQLWCHAR* driverName,
                              const SQLWCHAR* attributes) {
  return configDsn(KARVOD_SETUP_WINDOW(window), request,
                   reinterpret_cast<const char16_t*>(driverName),
                   reinterpret_cast<const char16_t*>(attributes));
}

KARVOD_EXPORT BOOL ConfigDSN(HWND window, WORD request, LPCSTR driverName, LPCSTR attributes) {
  const std::u16string driver = widenText(driverName);
  const std::u16string list = widenList(attributes);
  return configDsn(KARVOD_SETUP_WINDOW(window), request, driverName ? driver.c_str() : nullptr,
                   attributes ? list.c_str() : nullptr);
}

// Another driver manager's hook for its own connect dialog; this driver has none to offer.
KARVOD_EXPORT int _iodbcdm_drvconn_dialbox() { return 0; }
