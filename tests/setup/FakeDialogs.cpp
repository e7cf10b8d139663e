#include "tests/setup/FakeDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "setup/SetupText.h"
#include "setup/resource.h"

namespace {

const std::set<int> edits = {IDC_DSN_NAME,  IDC_DSN_DESCRIPTION, IDC_CONN_HOST, IDC_CONN_PORT,
                             IDC_CONN_UID,  IDC_CONN_PWD,        IDC_DB_LOG_FILE,
                             IDC_DB_LOG_TIME, IDC_LOGIN_UID,     IDC_LOGIN_PWD, IDC_TEST_REPORT,
                             IDC_SUMMARY};
const std::set<int> checkBoxes = {IDC_CONN_LIST_DATABASES, IDC_DB_VIEWS, IDC_DB_LOG_ON,
                                  IDC_LANGUAGE_AUTO};
const std::set<int> dropDownLists = {IDC_CONN_ENCRYPTION, IDC_LANGUAGE_ENCODING};

// Windows sorts combo items ignoring case.
std::u16string folded(std::u16string text) {
  for (char16_t& unit : text) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 32);
  }
  return text;
}

// The wizard template's columns (pixels): the strip on the left, then one column per page.
void layOut(int templateId, std::map<int, FakeDialog::Control>& controls) {
  auto place = [&controls](int id, int left, int width) {
    controls[id].left = left;
    controls[id].right = left + width;
  };
  if (templateId != IDD_WIZARD) return;
  place(IDC_LOGO, 7, 93);
  place(IDC_WIZARD_PLACEHOLDER, 113, 230);
  place(IDC_WIZARD_BACK, 121, 50);
  place(IDC_WIZARD_NEXT, 173, 50);
  place(IDC_WIZARD_FINISH, 230, 50);
  place(IDC_WIZARD_CANCEL, 283, 50);
  const std::vector<std::pair<int, std::vector<int>>> pages = {
      {363, {IDC_INTRO_TEXT, IDC_INTRO_ABOUT, IDC_INTRO_PROMPT_NOTE, IDC_INTRO_NEXT_HINT}},
      {612, {IDC_DSN_INTRO, IDC_DSN_QUESTION, IDC_DSN_NAME_LABEL, IDC_DSN_NAME,
             IDC_DSN_DESCRIPTION_QUESTION, IDC_DSN_DESCRIPTION_LABEL, IDC_DSN_DESCRIPTION,
             IDC_DSN_64BIT_NOTE, IDC_DSN_LAUNCH}},
      {848, {IDC_CONN_QUESTION, IDC_CONN_HOST_LABEL, IDC_CONN_HOST, IDC_CONN_HINT,
             IDC_CONN_PORT_LABEL, IDC_CONN_PORT, IDC_CONN_ENCRYPTION_LABEL, IDC_CONN_ENCRYPTION,
             IDC_CONN_LIST_DATABASES, IDC_CONN_UID_LABEL, IDC_CONN_UID, IDC_CONN_PWD_LABEL,
             IDC_CONN_PWD}},
      {1074, {IDC_DB_QUESTION, IDC_DB_LABEL, IDC_DB_NAME, IDC_DB_HINT, IDC_DB_ADVANCED,
              IDC_DB_VIEWS, IDC_DB_LOG_ON, IDC_DB_LOG_FILE, IDC_DB_BROWSE, IDC_DB_LOG_TIME_LABEL,
              IDC_DB_LOG_TIME}},
      {1302, {IDC_SUMMARY_TEXT, IDC_SUMMARY}},
  };
  for (const auto& page : pages) {
    int offset = 0;
    for (int id : page.second) {
      place(id, page.first + offset, 100);
      offset += 4;
    }
  }
  controls[IDC_INTRO_TEXT].visible = false;
  controls[IDC_DSN_64BIT_NOTE].visible = false;
}

}  // namespace

FakeDialog::FakeDialog(int templateId, DialogHandler& handler, FakeDialogSystem& system)
    : templateId_(templateId), handler_(handler), system_(system) {
  layOut(templateId, controls_);
}

const FakeDialog::Control& FakeDialog::find(int id) const { return controls_[id]; }

void* FakeDialog::handle() const { return const_cast<FakeDialog*>(this); }

bool FakeDialog::click(int control) {
  if (!find(control).enabled || !find(control).visible || closed_) return false;
  if (checkBoxes.count(control)) controls_[control].checked = !controls_[control].checked;
  handler_.onCommand(control, 0);
  return true;
}

bool FakeDialog::type(int control, const std::u16string& text) {
  if (!find(control).enabled || closed_) return false;
  const int limit = find(control).limit;
  const std::u16string typed =
      limit > 0 && text.size() > static_cast<std::size_t>(limit) ? text.substr(0, limit) : text;
  if (control == IDC_DB_NAME) {
    controls_[control].text = typed;
    controls_[control].selection = -1;
    handler_.onCommand(control, notifyComboEditUpdate);
  } else {
    setText(control, typed);
  }
  return true;
}

bool FakeDialog::pick(int control, const std::u16string& item) {
  if (!find(control).enabled || closed_) return false;
  const auto& items = find(control).items;
  const auto at = std::find(items.begin(), items.end(), item);
  if (at == items.end()) return false;
  selectComboItem(control, static_cast<int>(at - items.begin()));
  handler_.onCommand(control, 1 /* CBN_SELCHANGE */);
  return true;
}

void FakeDialog::setText(int control, const std::u16string& text) {
  controls_[control].text = text;
  if (edits.count(control)) handler_.onCommand(control, notifyEditChange);
}

std::u16string FakeDialog::text(int control) const {
  const Control& c = find(control);
  if (dropDownLists.count(control)) {
    return c.selection >= 0 ? c.items[static_cast<std::size_t>(c.selection)] : std::u16string();
  }
  return c.text;
}

bool FakeDialog::isChecked(int control) const { return find(control).checked; }

void FakeDialog::placeAfter(int control, int previous) { tabNext_[previous] = control; }

std::vector<int> FakeDialog::tabOrderAfter(int control) const {
  std::vector<int> order;
  for (auto at = tabNext_.find(control); at != tabNext_.end() && order.size() < 32;
       at = tabNext_.find(at->second)) {
    order.push_back(at->second);
  }
  return order;
}

int FakeDialog::controlLeft(int control) const { return find(control).left; }
int FakeDialog::controlRight(int control) const { return find(control).right; }

void FakeDialog::moveControl(int control, int dx) {
  controls_[control].left += dx;
  controls_[control].right += dx;
  controls_[control].visible = true;
}

void FakeDialog::clearCombo(int control) {
  controls_[control].items.clear();
  controls_[control].selection = -1;
}

void FakeDialog::addComboItem(int control, const std::u16string& text) {
  auto& items = controls_[control].items;
  auto at = std::upper_bound(items.begin(), items.end(), text,
                             [](const std::u16string& a, const std::u16string& b) {
                               return folded(a) < folded(b);
                             });
  items.insert(at, text);
}

int FakeDialog::comboCount(int control) const {
  return static_cast<int>(find(control).items.size());
}

std::u16string FakeDialog::comboItem(int control, int position) const {
  return find(control).items.at(static_cast<std::size_t>(position));
}

void FakeDialog::selectComboItem(int control, int position) {
  Control& c = controls_[control];
  c.selection = position;
  if (position >= 0) c.text = c.items.at(static_cast<std::size_t>(position));
}

int FakeDialog::textWidth(int, const std::u16string& text) const {
  return static_cast<int>(text.size()) * system_.unitWidth;
}

bool FakeDialog::chooseSaveFile(const std::u16string& title,
                                const std::vector<std::pair<std::u16string, std::u16string>>&,
                                std::u16string& path) {
  system_.events.push_back("save: " + utf8Text(title) + " from " + utf8Text(path));
  if (system_.savePath.empty()) return false;
  path = system_.savePath;
  return true;
}

void FakeDialog::close(bool confirmed) {
  closed_ = true;
  confirmed_ = confirmed;
}

FakeDialogSystem::FakeDialogSystem() : previous_(setDialogSystem(this)) {}

FakeDialogSystem::~FakeDialogSystem() { setDialogSystem(previous_); }

DialogOutcome FakeDialogSystem::runModal(int templateId, void* parent, DialogHandler& handler) {
  if (failToShow) return DialogOutcome::failed;
  events.push_back("open " + std::to_string(templateId));
  parents.push_back(parent);
  FakeDialog dialog(templateId, handler, *this);
  handler.onInitDialog(dialog);
  auto& queue = scripts_[templateId];
  if (!queue.empty()) {
    Script script = std::move(queue.front());
    queue.pop_front();
    script(dialog);
  }
  if (!dialog.closed()) handler.onCommand(commandCancel, 0);
  EXPECT_TRUE(dialog.closed()) << "dialog " << templateId << " did not end on Cancel";
  return dialog.confirmed() ? DialogOutcome::confirmed : DialogOutcome::cancelled;
}

void FakeDialogSystem::showMessage(const std::u16string& text, const std::u16string& title) {
  events.push_back("message: " + utf8Text(title) + "|" + utf8Text(text));
}

bool FakeDialogSystem::confirm(void*, const std::u16string& text, const std::u16string& title) {
  events.push_back("confirm: " + utf8Text(title) + "|" + utf8Text(text));
  if (confirmAnswers.empty()) return true;
  const bool answer = confirmAnswers.front();
  confirmAnswers.pop_front();
  return answer;
}

bool FakeDialogSystem::startProgram(const std::u16string& path) {
  events.push_back("start: " + utf8Text(path));
  return true;
}
