// Which signer certificate chains let the product installer run, and the code shown
// when one does not.
#include "download/publisher_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct ChainCase {
    const char* what;
    std::uint32_t errorStatus;
    std::uint32_t shown;
};

TEST(PublisherRules, ChainErrorsAreReportedByTheWeightiestBitAndOfflineRevocationIsNoError)
{
    const ChainCase cases[] = {
        {"clean chain", 0x0u, 0x0u},
        {"revocation not checkable offline", 0x00000040u | 0x01000000u, 0x0u},
        {"untrusted root, revocation unknown", 0x00000020u | 0x00000040u, 0x800B0109u},
        {"revoked and expired", 0x00000004u | 0x00000001u, 0x80092010u},
        {"bad signature and untrusted root", 0x00000008u | 0x00000020u, 0x80096004u},
        {"an unlisted bit (cyclic)", 0x00000080u, 0x800B010Bu},
    };
    for (const ChainCase& c : cases)
        EXPECT_EQ(static_cast<std::uint32_t>(ChainTrustError(c.errorStatus)), c.shown) << c.what;
}

}  // namespace
