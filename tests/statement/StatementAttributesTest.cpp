#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/statement/StatementFixture.h"

namespace {

using namespace statementtest;

SQLPOINTER asValue(std::uintptr_t value) { return reinterpret_cast<SQLPOINTER>(value); }

enum class Answers { base, backEnd, everything, forwardOnly };

class AttributesTest : public StatementFixture {
 protected:
  void answer(Answers answers) {
    switch (answers) {
      case Answers::base:
        break;
      case Answers::backEnd:
        connection_.answerAsBackEnd();
        break;
      case Answers::everything:
        connection_.answerEverything();
        break;
      case Answers::forwardOnly:
        connection_.answerAsBackEnd();
        connection_.scrollOptions = SQL_SO_FORWARD_ONLY;
        break;
    }
  }

  // The newest record's state and message text, the records then cleared.
  std::pair<std::string, std::string> takeRecord() {
    char state[6] = {};
    char message[256] = {};
    SQLSMALLINT length = 0;
    statement().diagnostics().getDiagField(1, SQL_DIAG_SQLSTATE, state, sizeof state, &length);
    statement().diagnostics().getDiagField(1, SQL_DIAG_MESSAGE_TEXT, message, sizeof message,
                                           &length);
    statement().diagnostics().clear();
    return {state, message};
  }

  SQLUINTEGER get32(SQLINTEGER attribute) {
    SQLUINTEGER value = 0xDEADBEEF;
    EXPECT_EQ(statement().getStmtAttr(attribute, &value, 0, nullptr), SQL_SUCCESS);
    return value;
  }
  SQLULEN get64(SQLINTEGER attribute) {
    SQLULEN value = 0xDEADBEEF;
    EXPECT_EQ(statement().getStmtAttr(attribute, &value, 0, nullptr), SQL_SUCCESS);
    return value;
  }
};

// (connection's answers, what happened before, attribute, value) to (cursor fields, code,
// SQLSTATE, message). The negotiating setters call one another; every case must end.
TEST_F(AttributesTest, CursorNegotiationTable) {
  const std::function<void(ScriptedStatement&)> nothing = [](ScriptedStatement&) {};
  const std::function<void(ScriptedStatement&)> locked = [](ScriptedStatement& s) {
    s.setStmtAttr(SQL_ATTR_CONCURRENCY, asValue(SQL_CONCUR_LOCK), 0);
  };
  const std::function<void(ScriptedStatement&)> staticCursor = [](ScriptedStatement& s) {
    s.setStmtAttr(SQL_ATTR_CURSOR_TYPE, asValue(SQL_CURSOR_STATIC), 0);
  };
  struct Case {
    const char* name;
    Answers answers;
    std::function<void(ScriptedStatement&)> before;
    SQLINTEGER attribute;
    std::uintptr_t value;
    SQLRETURN rc;
    const char* sqlState;
    const char* message;  // "" for the state's standard text
    SQLUINTEGER type, concurrency, scrollable, sensitivity;
  };
  const char* const kNoForward =
      "Can't make cursor scrollable because only forward-only cursors are supported";
  const std::vector<Case> cases = {
      // The back end: forward-only and static cursors, read-only and lock concurrency.
      {"back end: dynamic steps down to static", Answers::backEnd, nothing, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_DYNAMIC, SQL_SUCCESS_WITH_INFO, "01S02", "", 3, 1, 1, 1},
      {"back end: keyset steps down to static", Answers::backEnd, nothing, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_KEYSET_DRIVEN, SQL_SUCCESS_WITH_INFO, "01S02", "", 3, 1, 1, 1},
      {"back end: static", Answers::backEnd, nothing, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC,
       SQL_SUCCESS, "", "", 3, 1, 1, 1},
      {"back end: forward-only", Answers::backEnd, staticCursor, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_FORWARD_ONLY, SQL_SUCCESS, "", "", 0, 1, 0, 1},
      {"back end: scrollable", Answers::backEnd, nothing, SQL_ATTR_CURSOR_SCROLLABLE,
       SQL_SCROLLABLE, SQL_SUCCESS, "", "", 3, 1, 1, 1},
      {"back end: not scrollable", Answers::backEnd, staticCursor, SQL_ATTR_CURSOR_SCROLLABLE,
       SQL_NONSCROLLABLE, SQL_SUCCESS, "", "", 0, 1, 0, 1},
      {"back end: lock", Answers::backEnd, nothing, SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK,
       SQL_SUCCESS, "", "", 0, 2, 0, 0},
      {"back end: row versions", Answers::backEnd, nothing, SQL_ATTR_CONCURRENCY, SQL_CONCUR_ROWVER,
       SQL_ERROR, "HYC00", "Row version concurrency not supported for cursor", 0, 1, 0, 0},
      {"back end: values", Answers::backEnd, nothing, SQL_ATTR_CONCURRENCY, SQL_CONCUR_VALUES,
       SQL_ERROR, "HYC00", "Row version concurrency not supported for cursor", 0, 1, 0, 0},
      {"back end: read only after lock", Answers::backEnd, locked, SQL_ATTR_CONCURRENCY,
       SQL_CONCUR_READ_ONLY, SQL_SUCCESS, "", "", 0, 1, 0, 1},
      {"back end: static under lock", Answers::backEnd, locked, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_STATIC, SQL_SUCCESS, "", "", 3, 2, 1, 0},
      {"back end: insensitive", Answers::backEnd, nothing, SQL_ATTR_CURSOR_SENSITIVITY,
       SQL_INSENSITIVE, SQL_ERROR, "HYC00", "Insensitive cursors not supported", 0, 1, 0, 0},
      {"back end: sensitive", Answers::backEnd, nothing, SQL_ATTR_CURSOR_SENSITIVITY, SQL_SENSITIVE,
       SQL_ERROR, "HYC00", "Sensitive cursors not supported", 0, 1, 0, 0},
      {"back end: unspecified", Answers::backEnd, staticCursor, SQL_ATTR_CURSOR_SENSITIVITY,
       SQL_UNSPECIFIED, SQL_SUCCESS, "", "", 3, 1, 1, 0},
      // Only forward-only cursors.
      {"forward only: dynamic", Answers::forwardOnly, nothing, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_DYNAMIC, SQL_SUCCESS_WITH_INFO, "01S02", "", 0, 1, 0, 0},
      {"forward only: scrollable", Answers::forwardOnly, nothing, SQL_ATTR_CURSOR_SCROLLABLE,
       SQL_SCROLLABLE, SQL_ERROR, "HYC00", kNoForward, 0, 1, 0, 0},
      // The base connection: every scroll option, insensitive cursors only.
      {"base: dynamic kept", Answers::base, nothing, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_DYNAMIC,
       SQL_SUCCESS, "", "", 2, 1, 1, 0},
      // Every bit set.
      {"everything: dynamic", Answers::everything, nothing, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_DYNAMIC, SQL_SUCCESS, "", "", 2, 1, 1, 0},
      {"everything: dynamic after lock", Answers::everything, locked, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_DYNAMIC, SQL_SUCCESS, "", "", 2, 4, 1, 2},
      {"everything: keyset after lock", Answers::everything, locked, SQL_ATTR_CURSOR_TYPE,
       SQL_CURSOR_KEYSET_DRIVEN, SQL_SUCCESS, "", "", 1, 4, 1, 2},
      {"everything: values", Answers::everything, nothing, SQL_ATTR_CONCURRENCY, SQL_CONCUR_VALUES,
       SQL_SUCCESS, "", "", 3, 4, 1, 2},
      // Sensitive cursors want values concurrency, which wants a static cursor: the lock asked
      // for does not stay, and the answer says so.
      {"everything: lock", Answers::everything, nothing, SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK,
       SQL_SUCCESS_WITH_INFO, "01S02", "", 3, 4, 1, 2},
      {"everything: sensitive", Answers::everything, nothing, SQL_ATTR_CURSOR_SENSITIVITY,
       SQL_SENSITIVE, SQL_SUCCESS, "", "", 3, 4, 1, 2},
      {"everything: insensitive", Answers::everything, nothing, SQL_ATTR_CURSOR_SENSITIVITY,
       SQL_INSENSITIVE, SQL_SUCCESS, "", "", 3, 1, 1, 1},
      {"everything: insensitive after lock", Answers::everything, locked,
       SQL_ATTR_CURSOR_SENSITIVITY, SQL_INSENSITIVE, SQL_SUCCESS, "", "", 3, 1, 1, 1},
      {"everything: scrollable", Answers::everything, nothing, SQL_ATTR_CURSOR_SCROLLABLE,
       SQL_SCROLLABLE, SQL_SUCCESS, "", "", 3, 1, 1, 1},
      {"everything: not scrollable", Answers::everything, staticCursor, SQL_ATTR_CURSOR_SCROLLABLE,
       SQL_NONSCROLLABLE, SQL_SUCCESS, "", "", 0, 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    connection_.answerAsBackEnd();
    connection_.scrollOptions =
        SQL_SO_FORWARD_ONLY | SQL_SO_KEYSET_DRIVEN | SQL_SO_DYNAMIC | SQL_SO_MIXED | SQL_SO_STATIC;
    connection_.cursorSensitivity = SQL_INSENSITIVE;
    if (c.answers != Answers::base) answer(c.answers);
    statement_.reset(static_cast<ScriptedStatement*>(connection_.createStatement()));
    c.before(statement());
    statement().diagnostics().clear();
    EXPECT_EQ(statement().setStmtAttr(c.attribute, asValue(c.value), 0), c.rc);
    const auto record = takeRecord();
    EXPECT_EQ(record.first, c.sqlState);
    if (*c.message != '\0') {
      EXPECT_EQ(record.second, c.message);
    }
    EXPECT_EQ(get32(SQL_ATTR_CURSOR_TYPE), c.type);
    EXPECT_EQ(get32(SQL_ATTR_CONCURRENCY), c.concurrency);
    EXPECT_EQ(get32(SQL_ATTR_CURSOR_SCROLLABLE), c.scrollable);
    EXPECT_EQ(get32(SQL_ATTR_CURSOR_SENSITIVITY), c.sensitivity);
  }
}

TEST_F(AttributesTest, CursorKindChangesOnlyWhileClosed) {
  connection_.answerEverything();
  connection_.answer = threeRows();
  const SQLINTEGER checked[] = {SQL_ATTR_CONCURRENCY, SQL_ATTR_CURSOR_TYPE,
                                SQL_ATTR_SIMULATE_CURSOR, SQL_ATTR_USE_BOOKMARKS};
  const auto expectEach = [&](SQLRETURN rc, const char* sqlState) {
    for (SQLINTEGER attribute : checked) {
      SCOPED_TRACE(attribute);
      EXPECT_EQ(statement().setStmtAttr(attribute, asValue(1), 0), rc);
      EXPECT_EQ(takeState(), sqlState);
    }
  };
  ASSERT_EQ(statement().prepare("select 1", SQL_NTS), SQL_SUCCESS);
  expectEach(SQL_ERROR, "HY011");
  ASSERT_EQ(statement().execute(), SQL_SUCCESS);
  expectEach(SQL_ERROR, "HY011");
  ASSERT_EQ(statement().fetch(), SQL_SUCCESS);
  expectEach(SQL_ERROR, "24000");
  ASSERT_EQ(statement().freeStmt(SQL_CLOSE), SQL_SUCCESS);
  expectEach(SQL_SUCCESS, "");
}

TEST_F(AttributesTest, LimitsClampWithAWarning) {
  connection_.keysetLimit = 100;
  connection_.maxLengthLower = 10;
  connection_.maxLengthUpper = 1000;
  connection_.queryTimeoutLower = 2;
  connection_.queryTimeoutUpper = 60;
  const struct {
    SQLINTEGER attribute;
    std::uintptr_t value;
    SQLULEN stored;
    bool wide;
  } cases[] = {
      {SQL_ATTR_KEYSET_SIZE, 500, 100, true}, {SQL_ATTR_KEYSET_SIZE, 100, 100, true},
      {SQL_ATTR_MAX_LENGTH, 5, 10, true},     {SQL_ATTR_MAX_LENGTH, 5000, 1000, true},
      {SQL_ATTR_MAX_LENGTH, 0, 0, true},      {SQL_ATTR_MAX_LENGTH, 300, 300, true},
      {SQL_ATTR_QUERY_TIMEOUT, 1, 2, false},  {SQL_ATTR_QUERY_TIMEOUT, 61, 60, false},
      {SQL_ATTR_QUERY_TIMEOUT, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.attribute) + " " + std::to_string(c.value));
    const bool clamped = c.stored != c.value;
    EXPECT_EQ(statement().setStmtAttr(c.attribute, asValue(c.value), 0),
              clamped ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS);
    EXPECT_EQ(takeState(), clamped ? "01S02" : "");
    EXPECT_EQ(c.wide ? get64(c.attribute) : get32(c.attribute), c.stored);
  }
}

TEST_F(AttributesTest, StoredValuesAndDescriptorFields) {
  const struct {
    SQLINTEGER attribute;
    std::uintptr_t value;
    bool wide;
  } stored[] = {
      {SQL_ATTR_MAX_ROWS, 5000000000u, true},
      {SQL_ATTR_NOSCAN, SQL_NOSCAN_ON, false},
      {SQL_ATTR_RETRIEVE_DATA, SQL_RD_OFF, false},
      {SQL_ATTR_ENABLE_AUTO_IPD, SQL_TRUE, false},
      {SQL_ATTR_METADATA_ID, SQL_TRUE, false},
      {SQL_ATTR_ROW_ARRAY_SIZE, 20, true},
      {SQL_ROWSET_SIZE, 30, true},
      {SQL_ATTR_PARAMSET_SIZE, 4, true},
      {SQL_ATTR_ROW_BIND_TYPE, 64, false},
      {SQL_ATTR_PARAM_BIND_TYPE, 48, false},
  };
  for (const auto& s : stored) {
    SCOPED_TRACE(s.attribute);
    EXPECT_EQ(statement().setStmtAttr(s.attribute, asValue(s.value), 0), SQL_SUCCESS);
    EXPECT_EQ(s.wide ? get64(s.attribute) : get32(s.attribute), s.value);
  }
  // SQL_ROWSET_SIZE and SQL_ATTR_ROW_ARRAY_SIZE are the same ARD field.
  EXPECT_EQ(get64(SQL_ATTR_ROW_ARRAY_SIZE), 30u);
  EXPECT_EQ(statement().appRowDesc()->getArraySize(), 30u);
  EXPECT_EQ(statement().appParamDesc()->getArraySize(), 4u);

  SQLLEN offset = 0;
  SQLUSMALLINT statuses[4] = {};
  SQLULEN processed = 0;
  const struct {
    SQLINTEGER attribute;
    void* pointer;
  } pointers[] = {
      {SQL_ATTR_PARAM_BIND_OFFSET_PTR, &offset},   {SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset},
      {SQL_ATTR_PARAM_OPERATION_PTR, statuses},    {SQL_ATTR_PARAM_STATUS_PTR, statuses},
      {SQL_ATTR_ROW_OPERATION_PTR, statuses},      {SQL_ATTR_ROW_STATUS_PTR, statuses},
      {SQL_ATTR_PARAMS_PROCESSED_PTR, &processed}, {SQL_ATTR_ROWS_FETCHED_PTR, &processed},
  };
  for (const auto& p : pointers) {
    SCOPED_TRACE(p.attribute);
    EXPECT_EQ(statement().setStmtAttr(p.attribute, p.pointer, SQL_IS_POINTER), SQL_SUCCESS);
    void* read = nullptr;
    SQLINTEGER length = -1;
    EXPECT_EQ(statement().getStmtAttr(p.attribute, &read, SQL_IS_POINTER, &length), SQL_SUCCESS);
    EXPECT_EQ(read, p.pointer);
    EXPECT_EQ(length, 0);
  }
  EXPECT_EQ(statement().impRowDesc()->getArrayStatusPtr(), statuses);
  EXPECT_EQ(statement().impParamDesc()->getRowsProcessedPtr(), &processed);
}

// No rowset or parameter array of 0 elements: the attribute is refused and keeps its value.
TEST_F(AttributesTest, ZeroArraySizesAreRefused) {
  for (SQLINTEGER attribute : {SQL_ATTR_ROW_ARRAY_SIZE, SQL_ROWSET_SIZE, SQL_ATTR_PARAMSET_SIZE}) {
    SCOPED_TRACE(attribute);
    ASSERT_EQ(statement().setStmtAttr(attribute, asValue(3), 0), SQL_SUCCESS);
    EXPECT_EQ(statement().setStmtAttr(attribute, asValue(0), 0), SQL_ERROR);
    EXPECT_EQ(takeState(), "HY024");
    EXPECT_EQ(get64(attribute), 3u);
  }
}

TEST_F(AttributesTest, DescriptorHandlesAndRefusals) {
  SQLHDESC handle = nullptr;
  SQLINTEGER length = 0;
  const struct {
    SQLINTEGER attribute;
    Descriptor* descriptor;
  } handles[] = {{SQL_ATTR_APP_ROW_DESC, statement().appRowDesc()},
                 {SQL_ATTR_APP_PARAM_DESC, statement().appParamDesc()},
                 {SQL_ATTR_IMP_ROW_DESC, statement().impRowDesc()},
                 {SQL_ATTR_IMP_PARAM_DESC, statement().impParamDesc()}};
  for (const auto& h : handles) {
    SCOPED_TRACE(h.attribute);
    EXPECT_EQ(statement().getStmtAttr(h.attribute, &handle, 0, &length), SQL_SUCCESS);
    EXPECT_EQ(handle, h.descriptor);
    EXPECT_EQ(length, 8);
  }
  for (SQLINTEGER attribute :
       {SQL_ATTR_ROW_NUMBER, SQL_ATTR_IMP_ROW_DESC, SQL_ATTR_IMP_PARAM_DESC}) {
    SCOPED_TRACE(attribute);
    EXPECT_EQ(statement().setStmtAttr(attribute, asValue(1), 0), SQL_ERROR);
    EXPECT_EQ(takeState(), "HY017");
  }
  EXPECT_EQ(get64(SQL_ATTR_ROW_NUMBER), 0u);

  // SQL_GET_BOOKMARK is accepted, an attribute the driver does not know refused with "HY092";
  // neither writes anything.
  struct Case {
    SQLINTEGER attribute;
    SQLRETURN rc;
    const char* state;
  };
  for (const Case& c : {Case{SQL_GET_BOOKMARK, SQL_SUCCESS, ""}, Case{4321, SQL_ERROR, "HY092"}}) {
    SCOPED_TRACE(c.attribute);
    EXPECT_EQ(statement().setStmtAttr(c.attribute, asValue(1), 0), c.rc);
    EXPECT_EQ(takeState(), c.state);
    SQLULEN untouched = 77;
    SQLINTEGER lengthUntouched = 55;
    EXPECT_EQ(statement().getStmtAttr(c.attribute, &untouched, 0, &lengthUntouched), c.rc);
    EXPECT_EQ(takeState(), c.state);
    EXPECT_EQ(untouched, 77u);
    EXPECT_EQ(lengthUntouched, 55);
  }
}

TEST_F(AttributesTest, ValuesOutsideAnAttributesOwnAreRefused) {
  struct Case {
    SQLINTEGER attribute;
    SQLULEN value;
  };
  const Case cases[] = {
      {SQL_ATTR_CURSOR_SENSITIVITY, 3},
      {SQL_ATTR_CURSOR_SCROLLABLE, 2},
      {SQL_ATTR_NOSCAN, 2},
      {SQL_ATTR_ASYNC_ENABLE, 7},
      {SQL_ATTR_CURSOR_TYPE, 4},
      {SQL_ATTR_CONCURRENCY, 0},
      {SQL_ATTR_CONCURRENCY, 5},
      {SQL_ATTR_SIMULATE_CURSOR, 3},
      {SQL_ATTR_RETRIEVE_DATA, 2},
      {SQL_ATTR_USE_BOOKMARKS, 3},
      {SQL_ATTR_ENABLE_AUTO_IPD, 2},
      {SQL_ATTR_METADATA_ID, 0x100000001ULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attribute);
    SQLULEN before = 99;
    ASSERT_EQ(statement().getStmtAttr(c.attribute, &before, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(statement().setStmtAttr(c.attribute, asValue(c.value), 0), SQL_ERROR);
    EXPECT_EQ(takeState(), "HY024");
    SQLULEN after = 99;
    ASSERT_EQ(statement().getStmtAttr(c.attribute, &after, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(after, before);
  }
}

TEST_F(AttributesTest, AsyncAndBookmarksFollowTheConnection) {
  // Base answers: no asynchronous mode, no bookmark persistence.
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_ASYNC_ENABLE, asValue(SQL_ASYNC_ENABLE_ON), 0),
            SQL_ERROR);
  EXPECT_EQ(takeState(), "HYC00");
  EXPECT_EQ(get32(SQL_ATTR_ASYNC_ENABLE), SQL_ASYNC_ENABLE_OFF);
  SQLLEN bookmark = 0;
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0), SQL_SUCCESS);
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0), SQL_ERROR);
  EXPECT_EQ(takeState(), "HYC00");
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_USE_BOOKMARKS, asValue(SQL_UB_VARIABLE), 0),
            SQL_ERROR);
  EXPECT_EQ(takeState(), "HYC00");

  connection_.asyncMode = SQL_AM_STATEMENT;
  connection_.bookmarkPersistence = SQL_BP_SCROLL;
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_ASYNC_ENABLE, asValue(SQL_ASYNC_ENABLE_ON), 0),
            SQL_SUCCESS);
  EXPECT_EQ(get32(SQL_ATTR_ASYNC_ENABLE), SQL_ASYNC_ENABLE_ON);
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0), SQL_SUCCESS);
  EXPECT_EQ(statement().setStmtAttr(SQL_ATTR_USE_BOOKMARKS, asValue(SQL_UB_VARIABLE), 0),
            SQL_SUCCESS);
  EXPECT_EQ(get32(SQL_ATTR_USE_BOOKMARKS), SQL_UB_VARIABLE);
}

TEST_F(AttributesTest, CapabilitiesFollowTheCursorType) {
  connection_.answerEverything();
  ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_CURSOR_TYPE, asValue(SQL_CURSOR_STATIC), 0),
            SQL_SUCCESS);
  EXPECT_EQ(statement().cursorAttributes1(), connection_.staticAttributes1);
  EXPECT_EQ(statement().cursorAttributes2(), connection_.staticAttributes2);
}

}  // namespace
