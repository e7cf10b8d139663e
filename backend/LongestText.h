#pragma once
// The longest of a text column's values, as a column description counts it: a result read whole
// is described by what it holds, so that an application sizing its buffers by the description
// reserves what the values need.
#include <cstdint>
#include <string_view>

#include "statement/PiecewiseText.h"

class LongestText {
 public:
  // `wide`: counted in UTF-16 units, the SQLWCHARs a value takes; otherwise in the bytes of
  // SQL_C_CHAR, the server's UTF-8 as `encodings` deliver it.
  LongestText(bool wide, const TextEncodings& encodings);

  // Takes one UTF-8 value into account.
  void add(std::string_view utf8);

  // The most units of a value, at least 1: a buffer of that many and a terminator holds every
  // value whole, and a column of empty texts or NULLs still describes a length an application
  // can bind.
  std::uint64_t length() const;
  // The most bytes of a value in the application's buffer: two for each UTF-16 unit when wide.
  std::uint64_t octets() const;

 private:
  bool wide_;
  TextEncodings encodings_;
  std::uint64_t longest_ = 0;
};
