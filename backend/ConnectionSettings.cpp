#include "backend/ConnectionSettings.h"

#include <iterator>

#include "core/AttributeString.h"
#include "core/DsnAccess.h"
#include "core/TextUtilities.h"
#include "core/WideText.h"

namespace {

constexpr const char* keys[] = {
    "SERVER",         "DATABASE",           "Port",
    "Timeout",        "Encryption",         "UseKeychain",
    "UserID",         "IncludeViews",       "WideAPI",
    "UnicodeTextTypes", "MultiByteEncoding", "QueryLog_On",
    "QueryLogTime",   "QueryLogFile",       "AutoDetectEncoding",
    "SendSystemEncoding", "ReceiveSystemEncoding", "ReturnUnicode",
    "SetAppLocale",
};
static_assert(std::size(keys) == static_cast<std::size_t>(Setting::Count), "one key a setting");

// The settings before AutoDetectEncoding are the ones a DSN named in a connection string fills.
constexpr std::size_t dsnFilledCount = static_cast<std::size_t>(Setting::AutoDetectEncoding);

std::string dsnValue(const std::string& dsn, const char* key) {
  return readDsnValueW(dsn, utf16FromUtf8(key).data());
}

std::string stringValue(const std::string& text, const char* key) {
  return connectionStringValueUtf8(text, utf16FromUtf8(key).data());
}

}  // namespace

bool isYesText(const std::string& text) { return compareNoCase(text.c_str(), "YES") == 0; }

bool isNoText(const std::string& text) { return compareNoCase(text.c_str(), "NO") == 0; }

template <typename Read>
ConnectionSettings ConnectionSettings::read(Read read) {
  ConnectionSettings settings;
  for (std::size_t i = 0; i < settings.values_.size(); ++i) settings.values_[i] = read(keys[i]);
  settings.settle();
  return settings;
}

ConnectionSettings ConnectionSettings::fromDsn(const std::string& dsn) {
  return read([&dsn](const char* key) { return dsnValue(dsn, key); });
}

ConnectionSettings ConnectionSettings::fromConnectionString(const std::string& text) {
  return read([&text](const char* key) { return stringValue(text, key); });
}

void ConnectionSettings::fillFromDsn(const std::string& dsn) {
  if (dsn.empty()) return;
  for (std::size_t i = 0; i < dsnFilledCount; ++i)
    if (values_[i].empty()) values_[i] = dsnValue(dsn, keys[i]);
}

void ConnectionSettings::readServerSettings(const std::string& text) {
  for (const Setting setting : {Setting::Server, Setting::Database, Setting::Port,
                                Setting::Timeout, Setting::Encryption}) {
    const auto i = static_cast<std::size_t>(setting);
    values_[i] = stringValue(text, keys[i]);
  }
}

const std::string& ConnectionSettings::operator[](Setting setting) const {
  return values_[static_cast<std::size_t>(setting)];
}

bool ConnectionSettings::isYes(Setting setting) const { return isYesText((*this)[setting]); }

std::string ConnectionSettings::encodingName() const {
  if (isNoText((*this)[Setting::SendSystemEncoding]) ||
      isNoText((*this)[Setting::ReceiveSystemEncoding]))
    return "UTF-8";
  return (*this)[Setting::MultiByteEncoding];
}

void ConnectionSettings::settle() {
  if (isYes(Setting::ReturnUnicode))
    values_[static_cast<std::size_t>(Setting::UnicodeTextTypes)] = "Yes";
  if (isYes(Setting::SetAppLocale)) values_[static_cast<std::size_t>(Setting::WideApi)] = "Yes";
}
