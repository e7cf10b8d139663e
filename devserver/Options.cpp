#include "devserver/Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "devserver/FaultPlan.h"

namespace devserver {

namespace {

bool parseUnsigned(const char* text, unsigned long long max, unsigned long long& value) {
  if (!*text || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == 0 && value <= max;
}

bool parseSeconds(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return *text && *end == 0 && value >= 0 && value <= 3600;
}

// CODE:PREFIX with an error code above 0 and a non-empty prefix.
bool parseFailSql(const std::string& text,
                  std::vector<std::pair<std::uint16_t, std::string>>& rules) {
  const std::size_t colon = text.find(':');
  unsigned long long code = 0;
  if (colon == std::string::npos || colon + 1 == text.size() ||
      !parseUnsigned(text.substr(0, colon).c_str(), 0xFFFF, code) || code == 0 || code == 777)
    return false;
  rules.emplace_back(static_cast<std::uint16_t>(code), text.substr(colon + 1));
  return true;
}

bool parseUsers(const std::string& text, std::vector<std::pair<std::string, std::string>>& users) {
  users.clear();
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(start, end - start);
    const std::size_t colon = entry.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    users.emplace_back(entry.substr(0, colon), entry.substr(colon + 1));
    start = end + 1;
  }
  return !users.empty();
}

// KNOB, or PREFIX=KNOB for the points that match a text (split at the last "=", which no knob
// holds); the knob must be one of a single reply.
bool parseFaultTrigger(FaultTrigger::Point point, const std::string& text,
                       std::vector<FaultTrigger>& triggers) {
  FaultTrigger trigger;
  trigger.point = point;
  trigger.knob = text;
  if (point == FaultTrigger::Point::kSql || point == FaultTrigger::Point::kChunk) {
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0) return false;
    trigger.prefix = text.substr(0, equals);
    trigger.knob = text.substr(equals + 1);
  }
  FaultPlan plan;
  std::string error;
  if (!planFault(trigger.knob, plan, error) || !isSingleReplyFault(plan)) return false;
  triggers.push_back(std::move(trigger));
  return true;
}

}  // namespace

const char* usageText() {
  return "usage: karvell-devserver [options]\n"
         "  --port N              TCP port (default 4430; 0 picks a free one)\n"
         "  --listen ADDR         address to listen on (default 127.0.0.1)\n"
         "  --users U:P,...       accounts (default karvell:karvell)\n"
         "  --data-dir DIR        database NAME is DIR/NAME.db; the default is DIR/default.db\n"
         "  --server-version V    version in SHOW INFO (default 5.7.3; '' leaves the row out)\n"
         "  --chunk-rows K        results over K rows go in chunks (default 10000)\n"
         "  --compress-min N      compress result payloads of at least N bytes (default off)\n"
         "  --table-names         send the table-name block with every result\n"
         "  --rowid               send a hidden first column numbering the result's rows\n"
         "  --clear-replies       answer encrypted sessions in clear\n"
         "  --trace FILE          one line per request and reply, in hexadecimal\n"
         "  --sql-log FILE        one line per SQL text: connection, command, text (controls\n"
         "                        and backslashes escaped as \\xNN); a relative FILE lies in\n"
         "                        the data directory\n"
         "  --fail-sql CODE:PREFIX  answer texts starting with PREFIX with error CODE\n"
         "                        instead of running them (repeatable)\n"
         "  --max-request BYTES   refuse larger requests and close (default 268435456)\n"
         "  --login-delay S       wait S seconds before the first login reply\n"
         "  --server-cursors      mark results as server-side cursors, their chunks sent on\n"
         "                        command 11 instead of acknowledgement 25\n"
         "  --login-trickle S     send the clear login's challenge one byte every S seconds\n"
         "  --login-error-stall S  answer the first login step with an error header whose\n"
         "                        message does not follow for S seconds\n"
         "  --login-bad-s         spoil the proof in the encrypted login reply\n"
         "  --login-wrong-size    send a first login reply one byte too long\n"
         "  --reject-user         refuse every login at its last step\n"
         "  --fault-login KNOB    answer the first login request with the fault KNOB\n"
         "  --fault-sql PREFIX=KNOB  run the first text starting with PREFIX and send the fault\n"
         "                        KNOB in place of its reply\n"
         "  --fault-chunk PREFIX=KNOB  the same for the reply after its first (a chunked\n"
         "                        result's second chunk)\n"
         "  --fault-close KNOB    answer the first close command with the fault KNOB\n"
         "                        (each --fault-* fires once in the server's life; KNOB is one of\n"
         "                        the single-reply knobs below, without delay)\n"
         "SQL fault knobs, one per request: @@fault delay S | badsig | close-mid-payload |\n"
         "  stall (send nothing, keep the connection open) | absurd-size (announce 4 GiB, send\n"
         "  16 bytes, then stall) | unrequested (the answer followed by a reply nobody asked\n"
         "  for) | error CODE LEN | short-encrypted | bad-zlib | raw HEX | columns N (a result\n"
         "  of N columns) | malformed KIND, KIND one of\n"
         "  rows-columns-overflow, types-past-payload, lengths-past-payload, name-unterminated,\n"
         "  data-short, huge-length, rowid-no-columns, chunk-columns, chunk-rowid, inflated-size,\n"
         "  encrypted-no-key.\n"
         "@@stats answers the number of connections open besides the asking one.\n";
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    bool ok = true;
    if (name == "--table-names") {
      options.tableNames = true;
    } else if (name == "--rowid") {
      options.rowid = true;
    } else if (name == "--clear-replies") {
      options.clearReplies = true;
    } else if (name == "--server-cursors") {
      options.serverCursors = true;
    } else if (name == "--login-bad-s") {
      options.loginBadS = true;
    } else if (name == "--login-wrong-size") {
      options.loginWrongSize = true;
    } else if (name == "--reject-user") {
      options.rejectUser = true;
    } else {
      if (i + 1 >= argc) {
        error = name.rfind("--", 0) == 0 ? name + " needs a value" : "unexpected " + name;
        return false;
      }
      const char* value = argv[++i];
      unsigned long long number = 0;
      if (name == "--port") {
        ok = parseUnsigned(value, 65535, number);
        options.port = static_cast<int>(number);
      } else if (name == "--listen") {
        options.listen = value;
      } else if (name == "--users") {
        ok = parseUsers(value, options.users);
      } else if (name == "--data-dir") {
        options.dataDir = value;
      } else if (name == "--server-version") {
        options.serverVersion = value;
      } else if (name == "--chunk-rows") {
        ok = parseUnsigned(value, 0xFFFFFFFFu, number) && number > 0;
        options.chunkRows = static_cast<std::uint32_t>(number);
      } else if (name == "--compress-min") {
        ok = parseUnsigned(value, 0xFFFFFFFFu, number);
        options.compressMin = static_cast<std::size_t>(number);
      } else if (name == "--trace") {
        options.trace = value;
      } else if (name == "--sql-log") {
        options.sqlLog = value;
      } else if (name == "--fail-sql") {
        ok = parseFailSql(value, options.failSql);
      } else if (name == "--max-request") {
        ok = parseUnsigned(value, 0xFFFFFFFFu, number);
        options.maxRequest = static_cast<std::size_t>(number);
      } else if (name == "--login-delay") {
        ok = parseSeconds(value, options.loginDelay);
      } else if (name == "--login-trickle") {
        ok = parseSeconds(value, options.loginTrickle);
      } else if (name == "--login-error-stall") {
        ok = parseSeconds(value, options.loginErrorStall);
      } else if (name == "--fault-login") {
        ok = parseFaultTrigger(FaultTrigger::Point::kLogin, value, options.faults);
      } else if (name == "--fault-sql") {
        ok = parseFaultTrigger(FaultTrigger::Point::kSql, value, options.faults);
      } else if (name == "--fault-chunk") {
        ok = parseFaultTrigger(FaultTrigger::Point::kChunk, value, options.faults);
      } else if (name == "--fault-close") {
        ok = parseFaultTrigger(FaultTrigger::Point::kClose, value, options.faults);
      } else {
        error = "unknown option " + name;
        return false;
      }
    }
    if (!ok) {
      error = "bad value for " + name + ": " + argv[i];
      return false;
    }
  }
  return true;
}

}  // namespace devserver
