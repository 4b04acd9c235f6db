// The dialogue driver: the program's whole dialogue.
#pragma once

#include <cstdint>

#include "dialogue/session.hpp"
#include "numeric/sweep.hpp"

namespace zavolt {

// The title, the report file, the unit, then the four nested question loops: frequency and gain
// (a zero frequency ends the run), phase deviation sweep (a zero step goes back) with its design
// table, horn (a zero radius goes back), frequency sweep (a zero step goes back) with its analysis
// table. Ends with end_run; a failure leaves it by exception.
void run_dialogue(Session& session);

// A whole run on the given streams: the dialogue, and for a failure its report on the error
// stream with every channel closed. Returns the exit status. Broken pipes and the file size limit
// give write errors, not signals. Out of memory while reporting a failure, it writes one line
// "zavolt: internal error: std::bad_alloc" that needs no memory, and returns 1.
[[nodiscard]] int run_program(const ProgramStreams& streams) noexcept;

// Opens /dev/null, read-only, on each of the descriptors 0, 1 and 2 that is closed, so that the
// report file never takes one of their numbers: a closed standard error must not send failure
// messages into the report. A closed input still reads as empty and a closed output still refuses
// every write.
void occupy_closed_standard_descriptors() noexcept;

}  // namespace zavolt
