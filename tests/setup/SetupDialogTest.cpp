// The wizard driven through the recording fake: page moves, the buttons' states, the panes'
// rules and what the wizard hands back.
#include "setup/SetupDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/TempFolder.h"
#include "setup/DatabaseListing.h"
#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"
#include "tests/setup/SetupTestSupport.h"

using setuptest::listText;

namespace {

constexpr int pageAnchors[] = {IDC_INTRO_TEXT, IDC_DSN_INTRO, IDC_CONN_QUESTION, IDC_DB_QUESTION,
                               IDC_SUMMARY_TEXT};

// The page whose anchor stands in the page area; -1 when none or more than one does.
int shownPage(FakeDialog& dialog) {
  int shown = -1;
  for (int page = 0; page < 5; ++page) {
    if (dialog.control(pageAnchors[page]).left == dialog.controlLeft(IDC_WIZARD_PLACEHOLDER)) {
      if (shown != -1) return -1;
      shown = page;
    }
  }
  return shown;
}

// A lister standing in for the server while it lives.
class ScopedLister {
 public:
  ScopedLister(bool succeeds, std::vector<std::string> names, std::string message = "")
      : previous_(setDatabaseLister([this, succeeds, names, message](
                                        const DataSourceSettings& settings,
                                        std::vector<std::string>& out, std::string& error) {
          ++calls;
          seen = settings;
          out.insert(out.end(), names.begin(), names.end());
          error = message;
          return succeeds;
        })) {}
  ~ScopedLister() { setDatabaseLister(std::move(previous_)); }
  int calls = 0;
  DataSourceSettings seen;

 private:
  DatabaseLister previous_;
};

struct WizardResult {
  std::u16string list;
  DialogOutcome outcome;
};

WizardResult runWizard(FakeDialogSystem& system, unsigned mode, const std::u16string& attributes,
                       FakeDialogSystem::Script script, const std::u16string& dsn = u"") {
  system.onOpen(IDD_WIZARD, std::move(script));
  WizardResult result;
  result.list = runSetupDialog(nullptr, u"Karvell ODBC", dsn, attributes, mode, result.outcome);
  return result;
}

TEST(SetupDialog, OpensOnTheIntroductionWithCaptionsAndTheStripOnly) {
  FakeDialogSystem system;
  runWizard(system, SetupDialog::addMode, u"", [](FakeDialog& d) {
    EXPECT_EQ(shownPage(d), 0);
    EXPECT_EQ(d.title(), u"Karvell DSN Configuration");
    EXPECT_EQ(d.text(IDC_WIZARD_NEXT), u"&Next >");
    EXPECT_EQ(d.text(IDC_INTRO_PROMPT_NOTE),
              u"You will be prompted for the host address and database name.");
    EXPECT_FALSE(d.visible(IDC_WIZARD_PLACEHOLDER));
    EXPECT_FALSE(d.visible(IDC_WIZARD_FINISH));
    EXPECT_FALSE(d.enabled(IDC_WIZARD_BACK));
    EXPECT_TRUE(d.enabled(IDC_INTRO_ABOUT));
    EXPECT_FALSE(d.enabled(IDC_DSN_NAME));
    // Cancel's right edge plus the left margin of the side image.
    EXPECT_EQ(d.clientWidth(), 333 + 7);
    EXPECT_EQ(d.centred(), 1);
    EXPECT_EQ(d.defaultButton(), IDC_WIZARD_NEXT);
    EXPECT_EQ(d.tabOrderAfter(0).front(), IDC_INTRO_ABOUT);
  });
}

// (mode, clicks from the start, listing result, log file writable) -> page and buttons.
TEST(SetupDialog, NavigationTable) {
  const std::string unwritable = "/nonexistent-karvod-dir/q.log";
  const std::string writable = platform::temporaryFolder() + "karvod-setup-nav.log";
  struct Case {
    unsigned mode;
    std::vector<int> clicks;
    bool listing;
    bool listingSucceeds;
    std::string logFile;  // empty: query log off
    int page;
    bool back, next, finishShown;
    std::u16string nextText;
    const char* message;  // expected message box text, or null
  };
  const int N = IDC_WIZARD_NEXT, B = IDC_WIZARD_BACK, F = IDC_WIZARD_FINISH;
  const Case cases[] = {
      {0, {}, false, false, "", 0, false, true, false, u"&Next >", nullptr},
      // The name is still empty.
      {0, {N}, false, false, "", 1, true, false, true, u"&Next >", nullptr},
      {0, {N, N}, false, false, "", 2, true, true, true, u"&Next >", nullptr},
      {0, {N, N, B}, false, false, "", 1, true, true, true, u"&Next >", nullptr},
      {2, {N}, false, false, "", 2, true, true, true, u"&Next >", nullptr},
      {2, {N, B}, false, false, "", 0, false, true, false, u"&Next >", nullptr},
      {0, {N, N, N}, false, false, "", 3, true, true, true, u"&Next >", nullptr},
      {0, {N, N, N}, true, true, "", 3, true, true, true, u"&Next >", nullptr},
      {0, {N, N, N}, true, false, "", 2, true, true, true, u"&Next >", "No route to host"},
      {0, {N, N, N, N}, false, false, "", 4, true, true, true, u"D&one", nullptr},
      {0, {N, N, N, N}, false, false, unwritable, 3, true, true, true, u"&Next >",
       "There was a problem creating the log file."},
      {0, {N, N, N, N}, false, false, writable, 4, true, true, true, u"D&one", nullptr},
      {0, {N, N, N, N, B}, false, false, "", 3, true, true, true, u"&Next >", nullptr},
      {0, {N, F}, false, false, "", 4, true, true, true, u"D&one", nullptr},
      {0, {N, N, F}, false, false, "", 4, true, true, true, u"D&one", nullptr},
      // Finish skips the checks.
      {0, {N, N, N, F}, false, false, unwritable, 4, true, true, true, u"D&one", nullptr},
      {0, {F}, false, false, "", 0, false, true, false, u"&Next >", nullptr},
  };
  for (std::size_t index = 0; index < sizeof cases / sizeof cases[0]; ++index) {
    const Case& c = cases[index];
    FakeDialogSystem system;
    ScopedLister lister(c.listingSucceeds, {"shop"}, "No route to host");
    std::u16string attributes = u"Server=db.example;Database=shop";
    if (!c.logFile.empty()) {
      attributes += u";QueryLog_On=Yes;QueryLogFile=" + utf16Text(c.logFile);
    }
    runWizard(system, c.mode, attributes, [&](FakeDialog& d) {
      if (c.listing) {
        d.click(IDC_WIZARD_NEXT);
        if (c.mode != 2) {
          d.type(IDC_DSN_NAME, u"Nav");
          d.click(IDC_WIZARD_NEXT);
        }
        d.click(IDC_CONN_LIST_DATABASES);
        d.click(IDC_WIZARD_NEXT);
      } else {
        for (int click : c.clicks) {
          if (shownPage(d) == 1 && d.text(IDC_DSN_NAME).empty()) d.type(IDC_DSN_NAME, u"Nav");
          d.click(click);
        }
      }
      SCOPED_TRACE("case " + std::to_string(index));
      EXPECT_EQ(shownPage(d), c.page);
      EXPECT_EQ(d.enabled(IDC_WIZARD_BACK), c.back);
      EXPECT_EQ(d.enabled(IDC_WIZARD_NEXT), c.next);
      EXPECT_EQ(d.visible(IDC_WIZARD_FINISH), c.finishShown);
      EXPECT_EQ(d.text(IDC_WIZARD_NEXT), c.nextText);
      if (c.page == 4) {
        EXPECT_EQ(d.text(IDC_WIZARD_FINISH), u"&Test");
      }
    });
    bool shown = false;
    for (const std::string& event : system.events) {
      if (event.rfind("message: ", 0) == 0) {
        shown = true;
        if (c.message) {
          EXPECT_EQ(event, std::string("message: |") + c.message) << index;
        }
      }
    }
    EXPECT_EQ(shown, c.message != nullptr) << "case " << index;
    EXPECT_EQ(lister.calls, c.listing ? 1 : 0) << "case " << index;
  }
  std::filesystem::remove(writable);
}

TEST(SetupDialog, DoneHandsBackTheListAndCancelNothing) {
  FakeDialogSystem system;
  WizardResult done = runWizard(system, SetupDialog::addMode, u"Server=db.example", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DSN_NAME, u"Sales");
    d.type(IDC_DSN_DESCRIPTION, u"Orders é");
    d.click(IDC_WIZARD_FINISH);
    d.click(IDC_WIZARD_NEXT);
  });
  EXPECT_EQ(done.outcome, DialogOutcome::confirmed);
  EXPECT_EQ(listText(done.list),
            "DSN=Sales|Description=Orders é|Database=|Server=db.example|Port=|Encryption=|"
            "IncludeViews=|AutoDetectEncoding=|MultiByteEncoding=|QueryLog_On=|QueryLogTime=|"
            "QueryLogFile=||");

  WizardResult cancelled = runWizard(system, SetupDialog::addMode, u"", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DSN_NAME, u"Sales");
    d.click(IDC_WIZARD_CANCEL);
  });
  EXPECT_EQ(cancelled.outcome, DialogOutcome::cancelled);
  EXPECT_TRUE(cancelled.list.empty());

  system.failToShow = true;
  WizardResult failed = runWizard(system, SetupDialog::addMode, u"", [](FakeDialog&) {});
  EXPECT_EQ(failed.outcome, DialogOutcome::failed);
  EXPECT_TRUE(failed.list.empty());
}

TEST(SetupDialog, WithoutADialogSystemTheWizardFails) {
  DialogSystem* previous = setDialogSystem(nullptr);
  DialogOutcome outcome = DialogOutcome::confirmed;
  EXPECT_TRUE(runSetupDialog(nullptr, u"Karvell ODBC", u"", u"", 2, outcome).empty());
  EXPECT_EQ(outcome, DialogOutcome::failed);
  setDialogSystem(previous);
}

TEST(DsnPane, NextAndFinishOnlyForANameTheInstallerAccepts) {
  FakeDialogSystem system;
  runWizard(system, SetupDialog::addMode, u"", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    EXPECT_EQ(d.control(IDC_DSN_NAME).limit, 32);
    EXPECT_EQ(d.focus(), IDC_DSN_NAME);
    EXPECT_TRUE(d.visible(IDC_DSN_64BIT_NOTE));
    EXPECT_FALSE(d.enabled(IDC_WIZARD_NEXT));
    const std::pair<std::u16string, bool> names[] = {
        {u"S", true},          {u"Sales 2026", true}, {u"Ωmega", true},
        {u"a[b", false},       {u"a;b", false},       {u"x=y", false},
        {u"who?", false},      {u"back\\slash", false}, {u"at@home", false},
        {u"", false},          {std::u16string(32, u'n'), true}};
    for (const auto& name : names) {
      d.type(IDC_DSN_NAME, name.first);
      EXPECT_EQ(d.enabled(IDC_WIZARD_NEXT), name.second) << utf8Text(name.first);
      EXPECT_EQ(d.enabled(IDC_WIZARD_FINISH), name.second) << utf8Text(name.first);
    }
    EXPECT_EQ(d.tabOrderAfter(IDC_DSN_NAME),
              (std::vector<int>{IDC_DSN_DESCRIPTION, IDC_WIZARD_BACK, IDC_WIZARD_NEXT,
                                IDC_WIZARD_FINISH, IDC_WIZARD_CANCEL}));
  });
}

TEST(DsnPane, ANameFromTheDsnEnablesNextWhileThePaneIsBuilt) {
  FakeDialogSystem system;
  runWizard(system, SetupDialog::promptMode, u"", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.click(IDC_WIZARD_BACK);
    EXPECT_EQ(shownPage(d), 0);
  });
  runWizard(system, SetupDialog::addMode, u"", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DSN_NAME, u"Sales");
    d.click(IDC_WIZARD_NEXT);
    d.click(IDC_WIZARD_BACK);
    // Coming back, the pane fills the name: the edit's notification reaches the old pane, and
    // the new one applies its rule itself.
    EXPECT_EQ(d.text(IDC_DSN_NAME), u"Sales");
    EXPECT_TRUE(d.enabled(IDC_WIZARD_NEXT));
    // Leaving a page moves its controls back and disables them.
    EXPECT_EQ(d.control(IDC_CONN_HOST).left, 848 + 8);
    EXPECT_FALSE(d.enabled(IDC_CONN_HOST));
    EXPECT_EQ(d.control(IDC_DSN_NAME).left, 113 + 12);
  });
}

TEST(ConnectionPane, HostPortAndCredentialsRules) {
  FakeDialogSystem system;
  WizardResult result = runWizard(system, SetupDialog::promptMode, u"Server=db;Port=4431",
                                  [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    EXPECT_EQ(d.text(IDC_CONN_HOST), u"db");
    EXPECT_EQ(d.text(IDC_CONN_PORT), u"4431");
    EXPECT_EQ(d.control(IDC_CONN_PORT).limit, 5);
    EXPECT_TRUE(d.enabled(IDC_WIZARD_NEXT));
    EXPECT_FALSE(d.enabled(IDC_CONN_UID));
    EXPECT_FALSE(d.enabled(IDC_CONN_PWD_LABEL));
    d.type(IDC_CONN_HOST, u"");
    EXPECT_FALSE(d.enabled(IDC_WIZARD_NEXT));
    EXPECT_FALSE(d.enabled(IDC_WIZARD_FINISH));
    d.type(IDC_CONN_HOST, u"db2");
    const std::pair<std::u16string, bool> ports[] = {
        {u"", true}, {u"0", false}, {u"70000", false}, {u"65535", true}, {u"4430", true}};
    for (const auto& port : ports) {
      d.type(IDC_CONN_PORT, port.first);
      EXPECT_EQ(d.enabled(IDC_WIZARD_NEXT), port.second) << utf8Text(port.first);
    }
    d.type(IDC_CONN_PORT, u"");
    d.click(IDC_CONN_LIST_DATABASES);
    EXPECT_TRUE(d.enabled(IDC_CONN_UID));
    EXPECT_TRUE(d.enabled(IDC_CONN_PWD));
    d.type(IDC_CONN_UID, u"ann");
    d.type(IDC_CONN_PWD, u"pw;x");
    d.click(IDC_CONN_LIST_DATABASES);
    EXPECT_FALSE(d.enabled(IDC_CONN_UID));
    d.click(IDC_WIZARD_FINISH);
    d.click(IDC_WIZARD_NEXT);
  });
  // An empty port field is the default port; credentials never reach the list.
  EXPECT_NE(listText(result.list).find("|Server=db2|Port=|"), std::string::npos);
  EXPECT_EQ(listText(result.list).find("ann"), std::string::npos);
}

TEST(ConnectionPane, EncryptionChoices) {
  struct Case {
    std::u16string attributes;
    std::u16string shown;  // the selected item, "" for none
    std::u16string pick;   // "" picks nothing
    std::string written;
  } cases[] = {
      {u"Encryption=AES128", u"AES 128", u"", "Encryption=AES128"},
      {u"Encryption=aes192", u"AES 192", u"", "Encryption=AES192"},
      {u"Encryption=AES256", u"AES 256", u"", "Encryption=AES256"},
      {u"", u"None", u"", "Encryption="},
      {u"Encryption=Twofish", u"", u"", "Encryption=Twofish"},
      {u"Encryption=Twofish", u"", u"AES 192", "Encryption=AES192"},
      {u"Encryption=Twofish", u"", u"None", "Encryption="},
      {u"Encryption=AES256", u"AES 256", u"None", "Encryption="},
  };
  for (const Case& c : cases) {
    FakeDialogSystem system;
    WizardResult result = runWizard(system, SetupDialog::addMode, c.attributes, [&c](FakeDialog& d) {
      d.click(IDC_WIZARD_NEXT);
      d.type(IDC_DSN_NAME, u"Enc");
      d.click(IDC_WIZARD_NEXT);
      EXPECT_EQ(d.control(IDC_CONN_ENCRYPTION).items,
                (std::vector<std::u16string>{u"AES 128", u"AES 192", u"AES 256", u"None"}));
      EXPECT_EQ(d.text(IDC_CONN_ENCRYPTION), c.shown);
      if (!c.pick.empty()) d.pick(IDC_CONN_ENCRYPTION, c.pick);
      d.click(IDC_WIZARD_FINISH);
      d.click(IDC_WIZARD_NEXT);
    });
    EXPECT_NE(listText(result.list).find("|" + c.written + "|"), std::string::npos)
        << utf8Text(c.attributes) << " -> " << listText(result.list);
  }
}

TEST(DatabasePane, SelectsTheDatabaseByTextAndListsNamesOnce) {
  FakeDialogSystem system;
  ScopedLister lister(true, {"zeta", "alpha", "shop"});
  runWizard(system, SetupDialog::addMode, u"Server=db;Database=shop", [&](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DSN_NAME, u"Db");
    d.click(IDC_WIZARD_NEXT);
    d.click(IDC_CONN_LIST_DATABASES);
    d.type(IDC_CONN_UID, u"ann");
    d.type(IDC_CONN_PWD, u"secret");
    d.click(IDC_WIZARD_NEXT);
    EXPECT_EQ(lister.seen.server, "db");
    EXPECT_EQ(lister.seen.userId, "ann");
    EXPECT_EQ(lister.seen.password, "secret");
    EXPECT_EQ(d.control(IDC_DB_NAME).items,
              (std::vector<std::u16string>{u"alpha", u"shop", u"zeta"}));
    EXPECT_EQ(d.control(IDC_DB_NAME).selection, 1);
    EXPECT_EQ(d.text(IDC_DB_NAME), u"shop");
    // Back, then Next again: the names are listed afresh, not twice.
    d.click(IDC_WIZARD_BACK);
    d.click(IDC_WIZARD_NEXT);
    EXPECT_EQ(d.control(IDC_DB_NAME).items.size(), 3u);
    // An empty database selects the first name.
    d.type(IDC_DB_NAME, u"");
    EXPECT_FALSE(d.enabled(IDC_WIZARD_NEXT));
    d.click(IDC_WIZARD_BACK);
    d.click(IDC_WIZARD_NEXT);
    EXPECT_EQ(d.control(IDC_DB_NAME).selection, 0);
    EXPECT_EQ(d.text(IDC_DB_NAME), u"alpha");
    EXPECT_TRUE(d.enabled(IDC_WIZARD_NEXT));
  });
  EXPECT_EQ(lister.calls, 3);
}

TEST(DatabasePane, LogRuleFillsTheTemporaryFolderAndBrowseChoosesAFile) {
  FakeDialogSystem system;
  system.savePath = u"/tmp/chosen.log";
  WizardResult result = runWizard(system, SetupDialog::addMode,
                                  u"Database=shop;QueryLogFile=", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DSN_NAME, u"Log");
    d.click(IDC_WIZARD_NEXT);
    d.click(IDC_WIZARD_NEXT);
    EXPECT_FALSE(d.enabled(IDC_DB_LOG_FILE));
    EXPECT_FALSE(d.enabled(IDC_DB_LOG_TIME_LABEL));
    d.click(IDC_DB_LOG_ON);
    EXPECT_TRUE(d.enabled(IDC_DB_LOG_FILE));
    EXPECT_EQ(utf8Text(d.text(IDC_DB_LOG_FILE)), platform::temporaryFolder() + "Query.log");
    d.type(IDC_DB_LOG_FILE, u"");
    EXPECT_FALSE(d.enabled(IDC_WIZARD_NEXT));
    EXPECT_TRUE(d.click(IDC_DB_BROWSE));
    EXPECT_EQ(d.text(IDC_DB_LOG_FILE), u"/tmp/chosen.log");
    EXPECT_TRUE(d.enabled(IDC_WIZARD_NEXT));
    d.type(IDC_DB_LOG_TIME, u"250");
    d.click(IDC_WIZARD_FINISH);
    d.click(IDC_WIZARD_NEXT);
  });
  EXPECT_NE(listText(result.list).find("|QueryLog_On=Yes|QueryLogTime=250|QueryLogFile=/tmp/chosen.log|"),
            std::string::npos)
      << listText(result.list);
  EXPECT_EQ(system.events.back(), "save: Select Log File from ");
}

TEST(AdvancedLanguageSheet, OkStoresTheChoiceAndCancelKeepsIt) {
  FakeDialogSystem system;
  // Cancel first: nothing changes.
  system.onOpen(IDD_LANGUAGE, [](FakeDialog& d) {
    d.click(IDC_LANGUAGE_AUTO);
    d.click(commandCancel);
  });
  system.onOpen(IDD_LANGUAGE, [](FakeDialog& d) {
    EXPECT_EQ(d.title(), u"Advanced Language Options");
    EXPECT_TRUE(d.isChecked(IDC_LANGUAGE_AUTO));
    EXPECT_FALSE(d.enabled(IDC_LANGUAGE_ENCODING));
    EXPECT_EQ(d.control(IDC_LANGUAGE_ENCODING).items,
              (std::vector<std::u16string>{systemEncodingName(), u"UTF-8"}));
    EXPECT_EQ(d.text(IDC_LANGUAGE_ENCODING), systemEncodingName());
    d.click(IDC_LANGUAGE_AUTO);
    EXPECT_TRUE(d.enabled(IDC_LANGUAGE_ENCODING));
    EXPECT_TRUE(d.enabled(IDC_LANGUAGE_ENCODING_LABEL));
    d.pick(IDC_LANGUAGE_ENCODING, u"UTF-8");
    d.click(commandOk);
  });
  WizardResult result = runWizard(system, SetupDialog::addMode, u"Database=shop", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DSN_NAME, u"Lang");
    d.click(IDC_WIZARD_NEXT);
    d.click(IDC_WIZARD_NEXT);
    d.click(IDC_DB_ADVANCED);
    d.click(IDC_DB_ADVANCED);
    d.click(IDC_WIZARD_NEXT);
    EXPECT_NE(utf8Text(d.text(IDC_SUMMARY)).find("Multi-byte text encoding: UTF-8"),
              std::string::npos);
    d.click(IDC_WIZARD_NEXT);
  });
  EXPECT_NE(listText(result.list).find("|AutoDetectEncoding=No|MultiByteEncoding=UTF-8|"),
            std::string::npos);
}

TEST(ConclusionPane, SummaryIsWrappedToTheControl) {
  FakeDialogSystem system;
  system.unitWidth = 10;  // 40 units a line
  runWizard(system, SetupDialog::addMode,
            u"Description=a description long enough to need two lines", [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DSN_NAME, u"Wrap");
    d.click(IDC_WIZARD_FINISH);
    const std::string summary = utf8Text(d.text(IDC_SUMMARY));
    EXPECT_NE(summary.find("Description: a description long enough\r\nto need two lines\r\n"),
              std::string::npos)
        << summary;
    EXPECT_TRUE(d.enabled(IDC_WIZARD_NEXT));
    EXPECT_TRUE(d.enabled(IDC_SUMMARY));
  });
}

TEST(IntroductionPane, AboutOpensOverTheWizard) {
  FakeDialogSystem system;
  runWizard(system, SetupDialog::addMode, u"", [](FakeDialog& d) { d.click(IDC_INTRO_ABOUT); });
  ASSERT_EQ(system.events.size(), 2u);
  EXPECT_EQ(system.events[1], "open 101");
  EXPECT_NE(system.parents[1], nullptr);
}

}  // namespace
