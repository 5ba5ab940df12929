#include "download/start_retry.h"

namespace {

constexpr unsigned long kErrorAccessDenied = 5;
constexpr unsigned long kErrorSharingViolation = 32;

}  // namespace

unsigned long StartRetryPause(unsigned long error, unsigned long elapsedMs)
{
    if ((error != kErrorAccessDenied && error != kErrorSharingViolation) || elapsedMs >= kStartRetryWindowMs)
        return 0;
    const unsigned long left = kStartRetryWindowMs - elapsedMs;
    return left < kStartRetryPauseMs ? left : kStartRetryPauseMs;
}
