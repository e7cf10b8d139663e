#pragma once
// The call trace's file. Every handle made under one environment writes to it, from whichever
// thread calls in, so each line goes out whole under the environment's lock.
//
// The trace is C source that replays the calls, so each variable it names is declared once per
// file, before its first use. The file may be shared by several environments of the process (a
// Driver Manager makes one per connection, side by side or one after another), so the record of
// declared variables belongs to the file's path, not to one writer, and lasts until the file is
// found empty again.
#include <fstream>
#include <memory>
#include <string>

#include "platform/Mutex.h"

class TraceWriter {
 public:
  explicit TraceWriter(platform::Mutex& mutex);
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  // Opens the file for appending, without keeping other processes from it; false when it
  // cannot be opened.
  bool open(const std::string& path);
  // Writes the line and an end of line, and flushes, so that a crash loses nothing traced. A
  // line break inside the line is written escaped ("\n"), and a line that ends in a backslash (or
  // its trigraph) gets a "." behind it, since either would join the next line to a comment.
  void writeLine(const std::string& line);

  // The variable `name` of C type `cType` (with `arraySize`, "" for none), declared the first
  // time with `initialValue` ("" for none). A name already declared with another type or size
  // gets a suffix ("len00000000001234A0_2"), declared in turn. Answers the name to use. The
  // file's first declaration comes after "#include <stddef.h>", for the replay's NULL.
  std::string declare(const std::string& cType, const std::string& name,
                      const std::string& arraySize, const std::string& initialValue);

 private:
  struct Declarations;
  // The declarations of the file at `path`, shared by every writer of the process on it; none
  // when the file is empty.
  static std::shared_ptr<Declarations> declarationsFor(const std::string& path, bool emptyFile);

  platform::Mutex& mutex_;
  std::ofstream stream_;
  std::shared_ptr<Declarations> declarations_;
};
