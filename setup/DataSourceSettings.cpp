#include "setup/DataSourceSettings.h"

#include <cstdlib>
#include <cstring>
#include <functional>

#include "core/AttributeString.h"
#include "core/DsnAccess.h"
#include "core/TextUtilities.h"
#include "platform/CodePage.h"
#include "platform/ModuleInfo.h"
#include "setup/SetupText.h"
#include "setup/resource.h"

namespace {

using KeyReader = std::function<std::string(const char* key)>;

std::u16string asciiKey(const char* key) { return std::u16string(key, key + std::strlen(key)); }

// "Yes", "No" and "UTF-8" match any non-empty value that begins them, ignoring case.
bool isWord(const std::string& value, const char* word) {
  return !value.empty() && compareStringNoCase(value, word) == 0;
}

void readSettings(DataSourceSettings& settings, const KeyReader& read) {
  settings.description = read("Description");
  settings.server = read("Server");
  if (settings.server.empty()) settings.server = "localhost";
  settings.database = read("Database");
  const std::string port = read("Port");
  if (!port.empty()) settings.port = static_cast<int>(std::strtol(port.c_str(), nullptr, 10));
  const std::string encryption = read("Encryption");
  settings.encryption = 0;
  settings.otherEncryption.clear();
  if (compareNoCase(encryption.c_str(), "AES128") == 0) {
    settings.encryption = 2;
  } else if (compareNoCase(encryption.c_str(), "AES192") == 0) {
    settings.encryption = 3;
  } else if (compareNoCase(encryption.c_str(), "AES256") == 0) {
    settings.encryption = 4;
  } else {
    settings.otherEncryption = encryption;
  }
  settings.includeViews = isWord(read("IncludeViews"), "Yes");
  settings.autoDetectEncoding = !isWord(read("AutoDetectEncoding"), "No");
  settings.utf8Encoding = isWord(read("MultiByteEncoding"), "UTF-8");
  settings.queryLogOn = isWord(read("QueryLog_On"), "Yes");
  const std::string time = read("QueryLogTime");
  if (!time.empty()) settings.queryLogTime = std::strtoul(time.c_str(), nullptr, 10);
  settings.queryLogFile = read("QueryLogFile");
}

class ListBuilder {
 public:
  void add(const char* key, const std::u16string& value) {
    list_ += asciiKey(key);
    list_ += u'=';
    list_ += value;
    list_ += u'\0';
  }
  void add(const char* key, const std::string& value) { add(key, utf16Text(value)); }
  std::u16string finish() { return list_ + u'\0'; }

 private:
  std::u16string list_;
};

const char* encryptionKeyword(unsigned level) {
  switch (level) {
    case 2: return "AES128";
    case 3: return "AES192";
    case 4: return "AES256";
    default: return nullptr;
  }
}

class SummaryBuilder {
 public:
  void line(const std::u16string& text) { text_ += text + u"\r\n"; }
  void line(unsigned label, const std::u16string& value) {
    line(localizedText(label) + u' ' + value);
  }
  void line(unsigned label, const std::string& value) { line(label, utf16Text(value)); }
  void yesNo(unsigned label, bool value) {
    line(label, localizedText(value ? IDS_YES : IDS_NO));
  }
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
};

std::u16string encryptionName(const DataSourceSettings& settings) {
  switch (settings.encryption) {
    case 2: return localizedText(IDS_AES128);
    case 3: return u"AES 192";
    case 4: return localizedText(IDS_AES256);
    default:
      return settings.otherEncryption.empty() ? localizedText(IDS_ENCRYPTION_NONE)
                                              : utf16Text(settings.otherEncryption);
  }
}

}  // namespace

void readSettingsFromDsn(DataSourceSettings& settings, const std::string& dsn) {
  readSettings(settings, [&dsn](const char* key) {
    const std::u16string wide = asciiKey(key);
    return readDsnValueW(dsn, sqlWide(wide));
  });
}

void readSettingsFromString(DataSourceSettings& settings, const std::string& text) {
  const std::string firstEntry = text.substr(0, text.find('\0'));
  readSettings(settings, [&firstEntry](const char* key) {
    const std::u16string wide = asciiKey(key);
    return connectionStringValueUtf8(firstEntry, sqlWide(wide));
  });
}

std::u16string buildAttributeList(const DataSourceSettings& settings, bool includeDsn,
                                  bool writeEmpty, bool includeDatabase) {
  ListBuilder list;
  if (includeDsn && !settings.dsnName.empty()) list.add("DSN", settings.dsnName);
  if (!settings.description.empty() || writeEmpty) list.add("Description", settings.description);
  if (includeDatabase && (!settings.database.empty() || writeEmpty)) {
    list.add("Database", settings.database);
  }
  if (!settings.server.empty() || writeEmpty) list.add("Server", settings.server);
  if (settings.port != defaultPort) {
    list.add("Port", std::to_string(settings.port));
  } else if (writeEmpty) {
    list.add("Port", std::string());
  }
  if (const char* keyword = encryptionKeyword(settings.encryption)) {
    list.add("Encryption", keyword);
  } else if (!settings.otherEncryption.empty()) {
    list.add("Encryption", settings.otherEncryption);
  } else if (writeEmpty) {
    list.add("Encryption", std::string());
  }
  if (settings.includeViews) {
    list.add("IncludeViews", "Yes");
  } else if (writeEmpty) {
    list.add("IncludeViews", std::string());
  }
  if (!settings.autoDetectEncoding) {
    list.add("AutoDetectEncoding", "No");
  } else if (writeEmpty) {
    list.add("AutoDetectEncoding", std::string());
  }
  if (settings.autoDetectEncoding) {
    list.add("MultiByteEncoding", std::string());
  } else if (settings.utf8Encoding) {
    list.add("MultiByteEncoding", "UTF-8");
  } else if (writeEmpty) {
    list.add("MultiByteEncoding", std::string());
  }
  if (settings.queryLogOn) {
    list.add("QueryLog_On", "Yes");
    list.add("QueryLogTime", std::to_string(settings.queryLogTime));
    list.add("QueryLogFile", settings.queryLogFile);
  } else if (writeEmpty) {
    list.add("QueryLog_On", std::string());
    list.add("QueryLogTime", std::string());
    list.add("QueryLogFile", std::string());
  }
  return list.finish();
}

std::u16string buildSummary(const DataSourceSettings& settings) {
  SummaryBuilder summary;
  summary.line(localizedText(IDS_PRODUCT) + u" (64-bit) " +
               utf16Text(platform::driverVersionText()));
  summary.line(std::u16string());
  summary.line(IDS_DSN_LABEL, settings.dsnName);
  summary.line(IDS_DESCRIPTION_LABEL, settings.description);
  summary.line(IDS_HOST_LABEL, settings.server);
  summary.line(IDS_PORT_LABEL, decimalText(settings.port));
  summary.line(IDS_ENCRYPTION_LABEL, encryptionName(settings));
  summary.line(IDS_DATABASE_LABEL, settings.database);
  summary.yesNo(IDS_SUMMARY_VIEWS, settings.includeViews);
  summary.yesNo(IDS_SUMMARY_AUTO, settings.autoDetectEncoding);
  if (!settings.autoDetectEncoding) {
    summary.line(IDS_ENCODING_LABEL, settings.utf8Encoding ? u"UTF-8" : systemEncodingName());
  }
  summary.yesNo(IDS_SUMMARY_LOG_ON, settings.queryLogOn);
  if (settings.queryLogOn) {
    summary.line(IDS_SUMMARY_LOG_FILE, settings.queryLogFile);
    summary.line(IDS_SUMMARY_LOG_TIME, decimalText(settings.queryLogTime));
  }
  return summary.text();
}

std::u16string systemEncodingName() {
  switch (platform::systemCodePage()) {
    case 1252: return localizedText(IDS_CODE_PAGE_1252);
    case 932: return localizedText(IDS_CODE_PAGE_932);
    case 936: return localizedText(IDS_CODE_PAGE_936);
    case 950: return localizedText(IDS_CODE_PAGE_950);
    case 949: return localizedText(IDS_CODE_PAGE_949);
    case 1256: return localizedText(IDS_CODE_PAGE_1256);
    case 1255: return localizedText(IDS_CODE_PAGE_1255);
    case 1253: return localizedText(IDS_CODE_PAGE_1253);
    case 1251: return localizedText(IDS_CODE_PAGE_1251);
    default: return localizedText(IDS_SYSTEM_ENCODING);
  }
}

bool parsePortField(const std::u16string& text, int& port) {
  if (text.empty()) {
    port = defaultPort;
    return true;
  }
  if (text.size() > 5) return false;
  int value = 0;
  for (char16_t unit : text) {
    if (unit < u'0' || unit > u'9') return false;
    value = value * 10 + (unit - u'0');
  }
  if (value < 1 || value > 65535) return false;
  port = value;
  return true;
}
