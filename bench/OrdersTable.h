#pragma once
// The table the query benchmarks read: kOrdersRows rows of two integers and two texts.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

constexpr int kOrdersRows = 100000;

const std::vector<std::string> kOrdersSetup = {
    "CREATE TABLE orders (id INTEGER PRIMARY KEY, amount INTEGER, customer TEXT, note TEXT);",
    "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < " + std::to_string(kOrdersRows) +
        ") INSERT INTO orders SELECT n, (n * 7919) % 1000003, printf('customer %06d', n), "
        "printf('order note %d, shipped by road', n % 97) FROM k;",
};

inline std::string selectOrders(std::int64_t rows) {
  return "SELECT id, amount, customer, note FROM orders ORDER BY id LIMIT " + std::to_string(rows) + ";";
}

}  // namespace bench
