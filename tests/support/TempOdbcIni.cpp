#include "tests/support/TempOdbcIni.h"

#ifndef _WIN32
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

namespace {

// The process's directory, made and named to unixODBC on first use, removed at exit.
class Directory {
 public:
  Directory() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "karvod-odbcini-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      ADD_FAILURE() << "cannot create a temporary directory";
      return;
    }
    path_ = pattern;
    setenv("ODBCSYSINI", path_.c_str(), 1);
    setenv("ODBCINI", (path_ + "/user-odbc.ini").c_str(), 1);
  }
  ~Directory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const Directory& directory() {
  static Directory instance;
  return instance;
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::out | std::ios::trunc);
  file << content;
  if (!file) ADD_FAILURE() << "cannot write " << path;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace

TempOdbcIni::TempOdbcIni() {
  writeDriverIni("");
  writeSystemIni("");
  writeUserIni("");
}

TempOdbcIni::~TempOdbcIni() {
  writeDriverIni("");
  writeSystemIni("");
  writeUserIni("");
}

std::string TempOdbcIni::path(const std::string& name) const {
  return directory().path() + "/" + name;
}

void TempOdbcIni::writeDriverIni(const std::string& content) const {
  writeFile(path("odbcinst.ini"), content);
}

void TempOdbcIni::writeSystemIni(const std::string& content) const {
  writeFile(path("odbc.ini"), content);
}

void TempOdbcIni::writeUserIni(const std::string& content) const {
  writeFile(path("user-odbc.ini"), content);
}

std::string TempOdbcIni::readDriverIni() const { return readFile(path("odbcinst.ini")); }

std::string TempOdbcIni::readUserIni() const { return readFile(path("user-odbc.ini")); }

}  // namespace testsupport
#endif
