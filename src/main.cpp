// ZAVOLT: conical corrugated horn design and analysis, one console dialogue.
#include "dialogue/driver.hpp"

int main(int argc, char** argv) {
  zavolt::occupy_closed_standard_descriptors();
  zavolt::ProgramStreams streams;
  if (argc > 1) streams.argument = argv[1];
  return zavolt::run_program(streams);
}
