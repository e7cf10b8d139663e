#pragma once
// The longest of a text column's values, as a column description counts it: a result read whole
// is described by what it holds, so that an application sizing its buffers by the description
// reserves what the values need.
#include <cstdint>
#include <string_view>

class LongestText {
 public:
  // `wide`: characters are counted as UTF-16 units, the SQLWCHARs a value takes.
  explicit LongestText(bool wide);

  // Takes one UTF-8 value into account. A value no longer in bytes than the characters found so
  // far cannot hold more of them and is not read.
  void add(std::string_view utf8);

  // The most characters of a value, at least 1: a column of empty texts or NULLs still
  // describes a length an application can bind.
  std::uint64_t characters() const;
  // The most bytes of a value in the application's encoding: its UTF-8 bytes, or two for each
  // UTF-16 unit when wide.
  std::uint64_t octets() const;

 private:
  bool wide_;
  std::uint64_t characters_ = 0;
  std::uint64_t bytes_ = 0;
};
