#include "setup/About.h"

#include <filesystem>
#include <fstream>

#include "core/DriverPreferences.h"
#include "platform/ModuleInfo.h"
#include "platform/OsVersion.h"
#include "platform/TempFolder.h"
#include "setup/SetupText.h"
#include "setup/resource.h"

namespace {

constexpr unsigned clicksToSwitch = 5;

DriverPreferences preferences() { return DriverPreferences("karvellodbc", "Karvell ODBC"); }

}  // namespace

About::About(void* parentWindow) {
  if (DialogSystem* system = dialogSystem()) system->runModal(IDD_ABOUT, parentWindow, *this);
}

void About::onInitDialog(DialogWindow& window) {
  window_ = &window;
  window.setText(IDC_ABOUT_VERSION, utf16Text(platform::driverVersionText()));
  traceFile_ = preferences().getTraceFile();
  showTraceState();
  window.centerOnParent();
  if (int bitmap = aboutLogoBitmap(platform::visualThemeActive(), platform::osMajorVersion())) {
    window.setBitmap(IDC_LOGO, bitmap);
  }
  window.setTitle(localizedText(IDS_ABOUT_TITLE));
  window.setText(commandOk, localizedText(IDS_OK));
  window.setText(IDC_ABOUT_PRODUCT, localizedText(IDS_PRODUCT));
  window.setText(IDC_ABOUT_MAKER, localizedText(IDS_MAKER));
  window.setText(IDC_ABOUT_VERSION_LABEL, localizedText(IDS_VERSION_LABEL));
  window.setText(IDC_ABOUT_NOTICE1, localizedText(IDS_NOTICE1));
  window.setText(IDC_ABOUT_NOTICE2, localizedText(IDS_NOTICE2));
  window.setText(IDC_ABOUT_LOG_LABEL, localizedText(IDS_LOG_FILE_LABEL));
}

bool About::onCommand(int control, int) {
  if (control == commandOk || control == commandCancel) {
    window_->close(control == commandOk);
  } else if (control == IDC_LOGO && ++clicks_ == clicksToSwitch) {
    clicks_ = 0;
    switchTrace();
  }
  return true;
}

void About::showTraceState() {
  window_->setText(IDC_ABOUT_LOG_PATH, utf16Text(traceFile_));
  window_->setVisible(IDC_ABOUT_LOG_LABEL, !traceFile_.empty());
  window_->setVisible(IDC_ABOUT_LOG_PATH, !traceFile_.empty());
}

void About::switchTrace() {
  std::string path;
  if (traceFile_.empty()) {
    path = defaultTraceFile();
    std::ofstream trace(std::filesystem::u8path(path), std::ios::out | std::ios::app);
    if (trace.is_open()) {
      trace << "// OS: " << platform::osVersionText() << "\n"
            << "// Driver: " << platform::driverVersionText() << "\n";
    }
  }
  preferences().setTraceFile(path);
  traceFile_ = path;
  showTraceState();
}

int aboutLogoBitmap(bool themeActive, unsigned osMajorVersion) {
  if (!themeActive) return IDB_LOGO_CLASSIC;
  return osMajorVersion >= 6 ? IDB_LOGO_THEMED : 0;
}

std::string defaultTraceFile() { return platform::temporaryFolder() + "karvellodbc.log"; }
