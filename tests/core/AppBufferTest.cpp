#include <gtest/gtest.h>

#include <string>

#include "core/AppBuffer.h"

namespace {

constexpr char canary = '#';
const std::string text = "Karvell";  // L = 7

struct CopyCase {
  SQLINTEGER bufferLength;
  std::string stored;  // the bytes the copy writes, NUL included; the rest stays canary
  SQLRETURN result;
};

// B in {-1, 0, 1, L-1, L, L+1}: whatever does not fit leaves B-1 bytes and a NUL, and the full
// length is reported every time.
const CopyCase terminatedCases[] = {
    {-1, "", SQL_SUCCESS_WITH_INFO},
    {0, "", SQL_SUCCESS_WITH_INFO},
    {1, std::string(1, '\0'), SQL_SUCCESS_WITH_INFO},
    {6, std::string("Karve\0", 6), SQL_SUCCESS_WITH_INFO},
    {7, std::string("Karvel\0", 7), SQL_SUCCESS_WITH_INFO},
    {8, std::string("Karvell\0", 8), SQL_SUCCESS},
};

template <typename Length, typename Copy>
void expectCopies(const CopyCase& c, Copy copy) {
  SCOPED_TRACE("buffer length " + std::to_string(c.bufferLength));
  std::string buffer(16, canary);
  Length length = -99;
  EXPECT_EQ(copy(&buffer[0], &length, c.bufferLength), c.result);
  EXPECT_EQ(buffer.substr(0, c.stored.size()), c.stored);
  EXPECT_EQ(buffer.substr(c.stored.size()), std::string(16 - c.stored.size(), canary));
  EXPECT_EQ(length, 7);
}

TEST(AppBufferCopy, CutsToBufferLengthMinusOneWithNulAndReportsTheFullLength) {
  for (const CopyCase& c : terminatedCases) {
    expectCopies<SQLINTEGER>(c, [](char* b, SQLINTEGER* l, SQLINTEGER n) {
      return copyToAppBuffer(b, l, text.c_str(), n, true);
    });
    expectCopies<SQLSMALLINT>(c, [](char* b, SQLSMALLINT* l, SQLINTEGER n) {
      return copyToAppBufferSmallInt(b, l, text.c_str(), n, true);
    });
    expectCopies<SQLINTEGER>(c, [](char* b, SQLINTEGER* l, SQLINTEGER n) {
      return copyStringToAppBuffer(b, l, text, n, true);
    });
    expectCopies<SQLSMALLINT>(c, [](char* b, SQLSMALLINT* l, SQLINTEGER n) {
      return copyStringToAppBufferSmallInt(b, l, text, n, true);
    });
  }
}

TEST(AppBufferCopy, WithoutTerminatorFillsTheWholeBuffer) {
  const CopyCase cases[] = {
      {0, "", SQL_SUCCESS_WITH_INFO},
      {6, "Karvel", SQL_SUCCESS_WITH_INFO},
      {7, "Karvell", SQL_SUCCESS},
      {8, "Karvell", SQL_SUCCESS},
  };
  for (const CopyCase& c : cases) {
    expectCopies<SQLINTEGER>(c, [](char* b, SQLINTEGER* l, SQLINTEGER n) {
      return copyStringToAppBuffer(b, l, text, n, false);
    });
  }
}

TEST(AppBufferCopy, NullBufferOnlyReportsTheLength) {
  SQLINTEGER length = 0;
  EXPECT_EQ(copyToAppBuffer(nullptr, &length, "Karvell", 0, true), SQL_SUCCESS);
  EXPECT_EQ(length, 7);
  SQLSMALLINT small = 0;
  EXPECT_EQ(copyStringToAppBufferSmallInt(nullptr, &small, text, 100, true), SQL_SUCCESS);
  EXPECT_EQ(small, 7);
  char buffer[4] = {canary, canary, canary, canary};
  EXPECT_EQ(copyToAppBuffer(buffer, nullptr, "abc", 4, true), SQL_SUCCESS);
  EXPECT_STREQ(buffer, "abc");
}

TEST(AppBufferCopy, EmptyAndNullTexts) {
  char buffer[2] = {canary, canary};
  SQLINTEGER length = -99;
  EXPECT_EQ(copyToAppBuffer(buffer, &length, nullptr, 2, true), SQL_SUCCESS);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], canary);
  EXPECT_EQ(length, 0);
}

TEST(AppBufferCopy, SmallLengthsStopAtTheirLimitAndLongLengthsDoNot) {
  const std::string longText(40000, 'x');
  SQLSMALLINT small = 0;
  EXPECT_EQ(copyStringToAppBufferSmallInt(nullptr, &small, longText, 0, true), SQL_SUCCESS);
  EXPECT_EQ(small, 32767);
  SQLINTEGER length = 0;
  std::string buffer(40001, canary);
  EXPECT_EQ(copyStringToAppBuffer(&buffer[0], &length, longText, 40001, true), SQL_SUCCESS);
  EXPECT_EQ(length, 40000);
  EXPECT_EQ(buffer, longText + '\0');
}

TEST(StringFromSqlChars, TakesTheGivenLengthOrTheNulTerminatedText) {
  EXPECT_EQ(stringFromSqlChars("abc", SQL_NTS), "abc");
  EXPECT_EQ(stringFromSqlChars("abcdef", 2), "ab");
  EXPECT_EQ(stringFromSqlChars("a\0b", 3), std::string("a\0b", 3));
  EXPECT_EQ(stringFromSqlChars(nullptr, 5), "");
  EXPECT_EQ(stringFromSqlChars("abc", -7), "");
  EXPECT_EQ(stringFromSqlChars("abc", 0), "");
  // SQL texts longer than a 16-bit length stay whole.
  const std::string longText(70000, 'q');
  EXPECT_EQ(stringFromSqlChars(longText.data(), 70000), longText);
}

}  // namespace
