// zavolt-horn: conical corrugated horns designed and analysed from the command line.
#include <csignal>
#include <string>
#include <vector>

#include "horn/run.hpp"

int main(int argc, char** argv) {
  // A reader that goes away (`| head`) makes a write fail with EPIPE, reported like any other
  // write failure, instead of killing the process silently.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return zavolt::horn::run_horn(args, {});
}
