// The login prompt and where dialogs open.
#include "setup/LoginDialog.h"

#include <gtest/gtest.h>

#include "setup/CenterOnParent.h"
#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"
#include "tests/setup/SetupTestSupport.h"

namespace {

TEST(LoginDialog, OkReplacesTheCredentialsAndCancelKeepsThem) {
  FakeDialogSystem system;
  system.onOpen(IDD_LOGIN, [](FakeDialog& d) {
    EXPECT_EQ(d.title(), u"Karvell Login");
    EXPECT_EQ(d.text(IDC_LOGIN_DSN), u"Sales é");
    EXPECT_EQ(d.text(IDC_LOGIN_UID), u"old");
    EXPECT_EQ(d.text(IDC_LOGIN_PWD_LABEL), u"Password:");
    EXPECT_EQ(d.text(commandOk), u"OK");
    EXPECT_EQ(d.focus(), IDC_LOGIN_UID);
    EXPECT_EQ(d.control(IDC_LOGIN_UID).limit, 255);
    EXPECT_EQ(d.control(IDC_LOGIN_PWD).limit, 255);
    EXPECT_EQ(d.centred(), 1);
    d.type(IDC_LOGIN_UID, u"ann");
    d.type(IDC_LOGIN_PWD, u"");
    d.click(commandOk);
  });
  system.onOpen(IDD_LOGIN, [](FakeDialog& d) {
    d.type(IDC_LOGIN_UID, u"bob");
    d.click(commandCancel);
  });
  std::string user = "old";
  std::string password = "secret";
  EXPECT_EQ(runLoginDialog(reinterpret_cast<void*>(7), "DSN=Sales é;SERVER=db", user, password),
            DialogOutcome::confirmed);
  EXPECT_EQ(user, "ann");
  EXPECT_EQ(password, "");
  EXPECT_EQ(system.parents[0], reinterpret_cast<void*>(7));

  EXPECT_EQ(runLoginDialog(nullptr, "SERVER=db", user, password), DialogOutcome::cancelled);
  EXPECT_EQ(user, "ann");
}

TEST(LoginDialog, NoDsnKeywordShowsAnEmptyName) {
  FakeDialogSystem system;
  system.onOpen(IDD_LOGIN, [](FakeDialog& d) {
    EXPECT_EQ(d.text(IDC_LOGIN_DSN), u"");
    d.click(commandOk);
  });
  std::string user;
  std::string password;
  EXPECT_EQ(runLoginDialog(nullptr, "SERVER=db;UID=", user, password), DialogOutcome::confirmed);
}

TEST(LoginDialog, LongNonAsciiCredentialsStayWhole) {
  FakeDialogSystem system;
  const std::u16string typed(300, u'é');
  const std::u16string emoji = u"😀";
  system.onOpen(IDD_LOGIN, [&](FakeDialog& d) {
    d.type(IDC_LOGIN_UID, typed);
    std::u16string password;
    for (int i = 0; i < 127; ++i) password += emoji;
    d.type(IDC_LOGIN_PWD, password + u"x");
    d.click(commandOk);
  });
  std::string user;
  std::string password;
  ASSERT_EQ(runLoginDialog(nullptr, "DSN=x", user, password), DialogOutcome::confirmed);
  EXPECT_EQ(utf16Text(user), std::u16string(255, u'é'));
  EXPECT_EQ(user.size(), 510u);
  EXPECT_EQ(password.size(), 127u * 4 + 1);
}

TEST(LoginDialog, ADialogThatCannotBeShownFails) {
  FakeDialogSystem system;
  system.failToShow = true;
  std::string user = "u";
  std::string password = "p";
  EXPECT_EQ(runLoginDialog(nullptr, "DSN=x", user, password), DialogOutcome::failed);
  EXPECT_EQ(user, "u");
  DialogSystem* previous = setDialogSystem(nullptr);
  EXPECT_EQ(runLoginDialog(nullptr, "DSN=x", user, password), DialogOutcome::failed);
  setDialogSystem(previous);
}

TEST(CenterOnParent, CentresAndKeepsTheDialogOnTheDesktop) {
  const ScreenRect desktop{0, 0, 1024, 768};
  struct Case {
    ScreenRect parent;
    int width, height;
    int x, y;
  } cases[] = {
      {{100, 100, 500, 400}, 200, 100, 200, 200},     // centred
      {{0, 0, 1024, 768}, 300, 200, 362, 284},        // no parent: the desktop
      {{900, 700, 1000, 760}, 300, 200, 724, 568},    // near the lower right corner
      {{0, 0, 101, 51}, 200, 100, 0, 0},              // bigger than its parent at the origin
      {{-400, -300, -100, -100}, 200, 100, 0, 0},     // parent off the screen
      {{10, 10, 111, 61}, 200, 100, 0, 0},            // halves round down: 10 + (-99 >> 1) < 0
      {{100, 100, 301, 201}, 200, 100, 100, 100},
  };
  for (const Case& c : cases) {
    const ScreenPoint at = centerOnParent(c.width, c.height, c.parent, desktop);
    EXPECT_EQ(at.x, c.x) << c.parent.left << "," << c.parent.top;
    EXPECT_EQ(at.y, c.y) << c.parent.left << "," << c.parent.top;
  }
}

}  // namespace
