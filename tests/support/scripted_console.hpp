// Console lines from a list, for the reader and the report file's name question.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/reader.hpp"

namespace zavolt::testing {

// Hands out its lines one at a time, each in fresh storage that dies with the next call, so a
// reader that holds on to an earlier line is caught by the sanitizers.
class ScriptedConsole final : public LineSource {
public:
  explicit ScriptedConsole(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  std::optional<std::string_view> next_line() override {
    if (next_ == lines_.size()) return std::nullopt;
    current_ = std::make_unique<std::string>(lines_[next_++]);
    return *current_;
  }

  [[nodiscard]] std::size_t lines_used() const { return next_; }

private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  std::unique_ptr<std::string> current_;
};

}  // namespace zavolt::testing
