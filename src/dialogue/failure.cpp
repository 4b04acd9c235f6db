#include "dialogue/failure.hpp"

#include <utility>

namespace zavolt {

namespace {

std::string error_text(int number, int unit, const std::string& file) {
  const std::string where = ", unit " + std::to_string(unit) + ", file " + file;
  switch (number) {
    case kEndOfFile: return "end-of-file during read" + where;
    case kOpenFailure: return "open failure" + where;
    case kWriteError: return "error during write" + where;
    case kReadError: return "error during read" + where;
    case kFileNameError: return "file name specification error" + where;
    case kWriteToReadOnly: return "write to READONLY file" + where;
    case kSyntaxError: return "list-directed I/O syntax error" + where;
    case kConversionError: return "input conversion error" + where;
    case kAccessNotAllowed: return "access not allowed";
    case kFileNotFound: return "file not found";
    case kTooManyOpenFiles: return "too many open files";
    default: return "error" + where;
  }
}

}  // namespace

IoFailure::IoFailure(int number, int unit, std::string file, int os_error)
    : number_(number), unit_(unit), file_(std::move(file)), os_error_(os_error),
      text_(error_text(number_, unit_, file_)) {}

void fail_console_input(int number) { throw IoFailure(number, kConsoleInUnit, std::string(kConsoleInFile)); }

}  // namespace zavolt
