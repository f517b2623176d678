#include "erf_result.h"

namespace {

const char* const kMessages[kErfResultCount] = {
    "Ok",
    "Out of memory",
    "Error opening file",
    "No ERF in EXE",
    "Bad checksum in ERF",
    "Unknown compression type",
};

} // namespace

const char* ErfResultMessage(int result) {
    if (result < 0 || result >= kErfResultCount) {
        return "Unknown ERF error";
    }
    return kMessages[result];
}
