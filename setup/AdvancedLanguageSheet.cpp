#include "setup/AdvancedLanguageSheet.h"

#include "setup/DataSourceSettings.h"
#include "setup/SetupPanes.h"
#include "setup/SetupText.h"
#include "setup/resource.h"

AdvancedLanguageSheet::AdvancedLanguageSheet(void* parentWindow, DatabasePane& pane,
                                             bool autoDetectEncoding, bool utf8Encoding)
    : pane_(pane), autoDetectEncoding_(autoDetectEncoding), utf8Encoding_(utf8Encoding) {
  if (DialogSystem* system = dialogSystem()) system->runModal(IDD_LANGUAGE, parentWindow, *this);
}

void AdvancedLanguageSheet::onInitDialog(DialogWindow& window) {
  window_ = &window;
  window.setChecked(IDC_LANGUAGE_AUTO, autoDetectEncoding_);
  window.clearCombo(IDC_LANGUAGE_ENCODING);
  const std::u16string system = systemEncodingName();
  window.addComboItem(IDC_LANGUAGE_ENCODING, system);
  window.addComboItem(IDC_LANGUAGE_ENCODING, u"UTF-8");
  const std::u16string selected = utf8Encoding_ ? u"UTF-8" : system;
  for (int position = 0; position < window.comboCount(IDC_LANGUAGE_ENCODING); ++position) {
    if (window.comboItem(IDC_LANGUAGE_ENCODING, position) == selected) {
      window.selectComboItem(IDC_LANGUAGE_ENCODING, position);
    }
  }
  window.centerOnParent();
  window.setTitle(localizedText(IDS_LANGUAGE_TITLE));
  window.setText(commandOk, localizedText(IDS_OK));
  window.setText(IDC_LANGUAGE_AUTO, localizedText(IDS_LANGUAGE_AUTO));
  window.setText(commandCancel, localizedText(IDS_CANCEL));
  window.setText(IDC_LANGUAGE_NOTE, localizedText(IDS_LANGUAGE_NOTE));
  window.setText(IDC_LANGUAGE_ENCODING_LABEL, localizedText(IDS_ENCODING_LABEL));
  applyEnableRule();
}

bool AdvancedLanguageSheet::onCommand(int control, int) {
  switch (control) {
    case commandOk:
      autoDetectEncoding_ = window_->isChecked(IDC_LANGUAGE_AUTO);
      utf8Encoding_ = window_->text(IDC_LANGUAGE_ENCODING) == u"UTF-8";
      pane_.setEncodingOptions(autoDetectEncoding_, utf8Encoding_);
      window_->close(true);
      break;
    case commandCancel:
      window_->close(false);
      break;
    case IDC_LANGUAGE_AUTO:
      applyEnableRule();
      break;
    default:
      break;
  }
  return true;
}

void AdvancedLanguageSheet::applyEnableRule() {
  const bool choose = !window_->isChecked(IDC_LANGUAGE_AUTO);
  window_->setEnabled(IDC_LANGUAGE_ENCODING_LABEL, choose);
  window_->setEnabled(IDC_LANGUAGE_ENCODING, choose);
}
