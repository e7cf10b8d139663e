#include "devserver/SqlFunctions.h"

#include <openssl/rand.h>
#include <sqlite3.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace devserver {

namespace {

// ASCII only, like SQLite's own upper() and lower().
template <bool upper>
void changeCase(sqlite3_context* context, int, sqlite3_value** args) {
  if (sqlite3_value_type(args[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const auto* text = sqlite3_value_text(args[0]);
  const int length = sqlite3_value_bytes(args[0]);
  std::string result(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
  for (char& c : result) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  sqlite3_result_text(context, result.data(), length, SQLITE_TRANSIENT);
}

// RAND() and RAND(seed): a double in [0, 1). A seed gives a repeatable value.
void rand(sqlite3_context* context, int argc, sqlite3_value** args) {
  std::uint64_t bits = 0;
  if (argc == 1 && sqlite3_value_type(args[0]) != SQLITE_NULL) {
    // One step of splitmix64 from the seed.
    bits = static_cast<std::uint64_t>(sqlite3_value_int64(args[0])) + 0x9E3779B97F4A7C15ull;
    bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ull;
    bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBull;
    bits ^= bits >> 31;
  } else {
    RAND_bytes(reinterpret_cast<unsigned char*>(&bits), sizeof bits);
  }
  sqlite3_result_double(context, static_cast<double>(bits >> 11) * 0x1.0p-53);
}

// NOW(): the local date and time, as the ODBC function defines it.
void now(sqlite3_context* context, int, sqlite3_value**) {
  const std::time_t clock = std::time(nullptr);
  std::tm local{};
  localtime_r(&clock, &local);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  sqlite3_result_text(context, text, static_cast<int>(length), SQLITE_TRANSIENT);
}

void characterLength(sqlite3_context* context, int, sqlite3_value** args) {
  if (sqlite3_value_type(args[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  // Counts UTF-8 characters: every byte that does not continue a sequence.
  const auto* text = sqlite3_value_text(args[0]);
  const int bytes = sqlite3_value_bytes(args[0]);
  sqlite3_int64 count = 0;
  for (int i = 0; i < bytes; ++i) count += (text[i] & 0xC0) != 0x80;
  sqlite3_result_int64(context, count);
}

}  // namespace

bool registerSqlFunctions(sqlite3* db) {
  constexpr int kPure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  return sqlite3_create_function(db, "UCASE", 1, kPure, nullptr, changeCase<true>, nullptr,
                                 nullptr) == SQLITE_OK &&
         sqlite3_create_function(db, "LCASE", 1, kPure, nullptr, changeCase<false>, nullptr,
                                 nullptr) == SQLITE_OK &&
         sqlite3_create_function(db, "RAND", 0, SQLITE_UTF8, nullptr, rand, nullptr, nullptr) ==
             SQLITE_OK &&
         sqlite3_create_function(db, "RAND", 1, SQLITE_UTF8, nullptr, rand, nullptr, nullptr) ==
             SQLITE_OK &&
         sqlite3_create_function(db, "NOW", 0, SQLITE_UTF8, nullptr, now, nullptr, nullptr) ==
             SQLITE_OK &&
         sqlite3_create_function(db, "CHARACTER_LENGTH", 1, kPure, nullptr, characterLength,
                                 nullptr, nullptr) == SQLITE_OK;
}

}  // namespace devserver
