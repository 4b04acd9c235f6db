// Out of memory: a run that cannot allocate, even to word its failure, still ends with a message
// and status 1. This binary replaces operator new so that a child run can make every allocation
// from some point on fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "support/child.hpp"
#include "support/faulty_calls.hpp"

namespace {

// Set only in child processes, before the run.
bool allocations_fail = false;

}  // namespace

// These are the program's allocation functions: GCC sees free() of what `new` returned.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (allocations_fail) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace zavolt {
namespace {

constexpr std::string_view kAnswers = "r.txt\n2\n10 20\n0.5 0.5 1\n0 0\n0 0 0\n0 0\n";
constexpr std::string_view kLine = "zavolt: internal error: std::bad_alloc\r\n";

TEST(OutOfMemory, FromTheStartEndsWithOneLineAndStatusOne) {
  testing::ScratchDir dir;
  testing::ChildOptions options;
  options.before_run = [] { allocations_fail = true; };
  const testing::ChildRun run = testing::run_in_child(dir, kAnswers, options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kLine);
}

// The input fails, and from then on memory too: the failure cannot be worded as usual.
class ReadFailsAndMemoryRunsOut : public testing::FaultyCalls {
public:
  ReadFailsAndMemoryRunsOut() : FaultyCalls("") {}
  ssize_t read(int /*fd*/, void* /*buffer*/, std::size_t /*size*/) noexcept override {
    allocations_fail = true;
    errno = EIO;
    return -1;
  }
};

TEST(OutOfMemory, WhileWordingAFailureEndsWithOneLineAndStatusOne) {
  testing::ScratchDir dir;
  ReadFailsAndMemoryRunsOut calls;
  testing::ChildOptions options;
  options.calls = &calls;
  const testing::ChildRun run = testing::run_in_child(dir, kAnswers, options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kLine);
  EXPECT_EQ(run.out, "\nConical Corrugated Horn Design\n\nEnter output file ");
}

}  // namespace
}  // namespace zavolt
