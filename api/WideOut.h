#pragma once
// A text that a wide export answers in the application's UTF-16 buffer. Every wide export with a
// string output goes through here, so they all answer alike:
// - the operation's whole UTF-8 answer is taken (its scratch grows until the answer fits);
// - the buffer receives it cut to capacity-1 UTF-16 units and a NUL, never half a surrogate
//   pair; a buffer length of 0 (or a null buffer) only reports the length;
// - the length is the whole answer's, in the export's unit (characters or bytes);
// - a cut turns SQL_SUCCESS into SQL_SUCCESS_WITH_INFO with "01004" (the diagnostic exports,
//   which must not add records to what they read, post nothing);
// - a negative buffer length is "HY090"; nothing is written when the operation fails.
#include <algorithm>
#include <limits>
#include <string>

#include "core/DiagnosticHeader.h"
#include "platform/Odbc.h"

namespace api {

enum class WideUnit { Characters, Bytes };

class WideOut {
 public:
  WideOut(SQLPOINTER buffer, SQLINTEGER bufferLength, WideUnit unit)
      : buffer_(static_cast<SQLWCHAR*>(buffer)), bufferLength_(bufferLength), unit_(unit) {}

  // `operation(scratch, scratchLength, &length)` writes the UTF-8 answer as the narrow
  // operation does and reports its whole length in `Length`. `diagnostics` receives "HY090" and
  // "01004"; null posts nothing.
  template <typename Length, typename Operation>
  SQLRETURN answer(Length* lengthOut, DiagnosticHeader* diagnostics, Operation operation) {
    if (bufferLength_ < 0) return refuse(diagnostics);
    Length length = 0;
    SQLRETURN rc = collect(operation, length);
    if (!SQL_SUCCEEDED(rc)) return rc;
    text_.resize(static_cast<std::size_t>(std::max<Length>(length, 0)));
    const SQLINTEGER whole = deliver();
    if (lengthOut != nullptr) {
      *lengthOut = static_cast<Length>(
          std::min<SQLINTEGER>(whole, std::numeric_limits<Length>::max()));
    }
    if (cut_ && rc == SQL_SUCCESS) {
      rc = SQL_SUCCESS_WITH_INFO;
      if (diagnostics != nullptr) {
        diagnostics->post("01004", 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
      }
    }
    return rc;
  }

  // Writes a UTF-8 text that the export already holds whole; answers the length in the
  // export's unit. cut() tells whether the buffer took less than all of it.
  SQLINTEGER deliverText(const std::string& text);

  // The whole UTF-8 answer, for the trace.
  const std::string& text() const { return text_; }
  bool cut() const { return cut_; }

 private:
  template <typename Length, typename Operation>
  SQLRETURN collect(Operation& operation, Length& length) {
    // Three UTF-8 bytes a unit hold anything the buffer can take; a longer answer is asked for
    // again once its length is known.
    const SQLINTEGER units = unit_ == WideUnit::Bytes ? bufferLength_ / 2 : bufferLength_;
    std::size_t room = std::min<std::size_t>(std::max<std::size_t>(3u * units + 1, 256), 4096);
    for (;;) {
      text_.assign(room, '\0');
      const SQLRETURN rc = operation(&text_[0], static_cast<Length>(std::min<std::size_t>(
                                                    room, std::numeric_limits<Length>::max())),
                                     &length);
      if (!SQL_SUCCEEDED(rc) || length < 0 || static_cast<std::size_t>(length) < room ||
          room > static_cast<std::size_t>(std::numeric_limits<Length>::max())) {
        return rc;
      }
      room = static_cast<std::size_t>(length) + 1;
    }
  }
  SQLINTEGER deliver() { return deliverText(text_); }
  SQLRETURN refuse(DiagnosticHeader* diagnostics);

  SQLWCHAR* buffer_;
  SQLINTEGER bufferLength_;
  WideUnit unit_;
  std::string text_;
  bool cut_ = false;
};

}  // namespace api
