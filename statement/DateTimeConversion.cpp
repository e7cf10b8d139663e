#include "statement/DateTimeConversion.h"

#include <ctime>

#include "core/SqlTypeClass.h"
#include "core/TextUtilities.h"
#include "core/TraceFormatter.h"
#include "core/ValueText.h"
#include "platform/Clock.h"

namespace {

enum class Kind { none, date, time, timestamp };

Kind kindOfCType(SQLSMALLINT cType) {
  switch (cType) {
    case SQL_C_DATE:
    case SQL_C_TYPE_DATE:
      return Kind::date;
    case SQL_C_TIME:
    case SQL_C_TYPE_TIME:
      return Kind::time;
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP:
      return Kind::timestamp;
    default:
      return Kind::none;
  }
}

// What a column of the SQL type holds for a date-time target: none for the types that do not
// convert, date, time or timestamp for those types, timestamp (any shape) for text.
Kind kindOfColumn(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_DATE:
    case SQL_TYPE_DATE:
      return Kind::date;
    case SQL_TIME:
    case SQL_TYPE_TIME:
      return Kind::time;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
      return Kind::timestamp;
    default: {
      const bool unconvertible = isNumericType(sqlType) || isBinaryType(sqlType) ||
                                 isIntervalType(sqlType) || sqlType == SQL_BIT ||
                                 sqlType == SQL_GUID;
      return unconvertible ? Kind::none : Kind::timestamp;
    }
  }
}

struct Moment {
  Kind shape = Kind::none;
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  SQLUINTEGER fraction = 0;  // nanoseconds
  bool fractionCut = false;  // non-zero digits beyond the ninth
};

class Reader {
 public:
  Reader(const char* text, std::size_t length) : p_(text), end_(text + length) {
    while (p_ < end_ && isAsciiSpace(*p_)) ++p_;
    while (end_ > p_ && isAsciiSpace(end_[-1])) --end_;
  }

  bool atEnd() const { return p_ == end_; }

  bool literal(char c) {
    if (p_ == end_ || *p_ != c) return false;
    ++p_;
    return true;
  }

  bool blanks() {
    const char* start = p_;
    while (p_ < end_ && *p_ == ' ') ++p_;
    return p_ != start;
  }

  // One to maxDigits decimal digits.
  bool number(int maxDigits, int& value) {
    value = 0;
    int digits = 0;
    for (; p_ < end_ && isAsciiDigit(*p_) && digits < maxDigits; ++p_, ++digits) {
      value = value * 10 + (*p_ - '0');
    }
    return digits > 0 && (p_ == end_ || !isAsciiDigit(*p_));
  }

  // Digits after a point: the first nine as nanoseconds, padded on the right.
  bool fraction(Moment& moment) {
    int digits = 0;
    for (; p_ < end_ && isAsciiDigit(*p_); ++p_, ++digits) {
      if (digits < 9) {
        moment.fraction = moment.fraction * 10 + static_cast<SQLUINTEGER>(*p_ - '0');
      } else if (*p_ != '0') {
        moment.fractionCut = true;
      }
    }
    for (int padding = digits; padding < 9; ++padding) moment.fraction *= 10;
    return digits > 0;
  }

 private:
  const char* p_;
  const char* end_;
};

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool readDate(Reader& reader, Moment& moment) {
  return reader.number(4, moment.year) && reader.literal('-') && reader.number(2, moment.month) &&
         reader.literal('-') && reader.number(2, moment.day) && moment.month >= 1 &&
         moment.month <= 12 && moment.day >= 1 &&
         moment.day <= daysInMonth(moment.year, moment.month);
}

// Seconds are optional, as the server's own forms have them; a fraction needs the seconds.
bool readTime(Reader& reader, Moment& moment) {
  if (!reader.number(2, moment.hour) || !reader.literal(':') || !reader.number(2, moment.minute)) {
    return false;
  }
  if (reader.literal(':') &&
      (!reader.number(2, moment.second) || (reader.literal('.') && !reader.fraction(moment)))) {
    return false;
  }
  return moment.hour <= 23 && moment.minute <= 59 && moment.second <= 59;
}

Moment parseMoment(const char* text, std::size_t length) {
  Reader reader(text, length);
  const Reader start = reader;
  Moment moment;
  if (readDate(reader, moment)) {
    if (reader.atEnd()) {
      moment.shape = Kind::date;
    } else if ((reader.literal('T') || reader.blanks()) && readTime(reader, moment) &&
               reader.atEnd()) {
      moment.shape = Kind::timestamp;
    }
    return moment;
  }
  reader = start;
  moment = Moment();
  if (readTime(reader, moment) && reader.atEnd()) moment.shape = Kind::time;
  return moment;
}

SQL_DATE_STRUCT dateOf(const Moment& moment) {
  return {static_cast<SQLSMALLINT>(moment.year), static_cast<SQLUSMALLINT>(moment.month),
          static_cast<SQLUSMALLINT>(moment.day)};
}

SQL_DATE_STRUCT today() {
  std::tm local{};
  if (!platform::localTime(std::time(nullptr), local)) return {1970, 1, 1};
  return {static_cast<SQLSMALLINT>(local.tm_year + 1900),
          static_cast<SQLUSMALLINT>(local.tm_mon + 1), static_cast<SQLUSMALLINT>(local.tm_mday)};
}

void describe(std::string* trace, SQLSMALLINT cType, const std::string& value) {
  if (trace != nullptr) *trace = " to " + cTypeName(cType) + ": " + value;
}

}  // namespace

ConversionOutcome convertToDateTime(SQLSMALLINT cType, SQLSMALLINT sqlType, const char* text,
                                    std::size_t length, void* target, std::string* trace) {
  const Kind wanted = kindOfCType(cType);
  const Kind column = kindOfColumn(sqlType);
  if (column == Kind::none || (column == Kind::date && wanted == Kind::time) ||
      (column == Kind::time && wanted == Kind::date)) {
    return conversionFailure("07006");
  }
  const Moment moment = parseMoment(text, length);
  switch (wanted) {
    case Kind::date: {
      if (moment.shape != Kind::date && moment.shape != Kind::timestamp) break;
      const SQL_DATE_STRUCT date = dateOf(moment);
      const bool timeDropped = moment.hour != 0 || moment.minute != 0 || moment.second != 0 ||
                               moment.fraction != 0 || moment.fractionCut;
      describe(trace, cType, dateToString(date));
      return storeFixedValue(&date, sizeof date, timeDropped, target);
    }
    case Kind::time: {
      if (moment.shape != Kind::time && moment.shape != Kind::timestamp) break;
      const SQL_TIME_STRUCT time = {static_cast<SQLUSMALLINT>(moment.hour),
                                    static_cast<SQLUSMALLINT>(moment.minute),
                                    static_cast<SQLUSMALLINT>(moment.second)};
      describe(trace, cType, timeToString(time));
      return storeFixedValue(&time, sizeof time, moment.fraction != 0 || moment.fractionCut,
                             target);
    }
    default: {
      if (moment.shape == Kind::none) break;
      const SQL_DATE_STRUCT date = moment.shape == Kind::time ? today() : dateOf(moment);
      const SQL_TIMESTAMP_STRUCT timestamp = {date.year,
                                              date.month,
                                              date.day,
                                              static_cast<SQLUSMALLINT>(moment.hour),
                                              static_cast<SQLUSMALLINT>(moment.minute),
                                              static_cast<SQLUSMALLINT>(moment.second),
                                              moment.fraction};
      describe(trace, cType, timestampToString(timestamp));
      return storeFixedValue(&timestamp, sizeof timestamp, moment.fractionCut, target);
    }
  }
  return conversionFailure("22018");
}
