#include "horn/warnings.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace zavolt::horn {

void Warnings::note(const std::string& key, std::string message) {
  const auto known = std::find_if(kinds_.begin(), kinds_.end(), [&](const Kind& kind) { return kind.key == key; });
  if (known != kinds_.end()) {
    ++known->repeats;
    return;
  }
  kinds_.push_back(Kind{key, std::move(message), 0});
}

std::vector<std::string> Warnings::lines() const {
  std::vector<std::string> lines;
  for (const Kind& kind : kinds_) {
    lines.push_back(kind.repeats == 0 ? kind.message
                                      : fmt::format("{} (and {} more {})", kind.message, kind.repeats,
                                                    kind.repeats == 1 ? "row" : "rows"));
  }
  return lines;
}

std::vector<Warnings::Entry> Warnings::entries() const {
  std::vector<Entry> entries;
  for (const Kind& kind : kinds_) entries.push_back(Entry{kind.key, kind.message, kind.repeats + 1});
  return entries;
}

}  // namespace zavolt::horn
