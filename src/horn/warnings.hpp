// Warnings gathered while the rows are computed: each kind once, however many rows it concerns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zavolt::horn {

class Warnings {
public:
  // Notes a warning of kind `key` (such as "s-range" or "bw-10"); the first message of a kind is
  // kept, and later rows of the same kind are counted.
  void note(const std::string& key, std::string message);

  // One line each, in the order first noted: the message, and "(and N more rows)" when the kind
  // came up again.
  [[nodiscard]] std::vector<std::string> lines() const;
  [[nodiscard]] bool empty() const noexcept { return kinds_.empty(); }

  // Each kind with its first message and the number of rows it concerns, for JSON.
  struct Entry {
    std::string code;
    std::string message;
    std::size_t rows;
  };
  [[nodiscard]] std::vector<Entry> entries() const;

private:
  struct Kind {
    std::string key;
    std::string message;
    std::size_t repeats = 0;
  };
  std::vector<Kind> kinds_;
};

}  // namespace zavolt::horn
