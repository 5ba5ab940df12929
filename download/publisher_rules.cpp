#include "download/publisher_rules.h"

namespace {

struct ChainRule {
    std::uint32_t bits;  // CERT_TRUST_* error bits
    std::uint32_t error;
};

// In order of precedence.
constexpr ChainRule kChainRules[] = {
    {0x00000004u, 0x80092010u},  // IS_REVOKED: CRYPT_E_REVOKED
    {0x00000008u, 0x80096004u},  // IS_NOT_SIGNATURE_VALID: TRUST_E_CERT_SIGNATURE
    {0x00000001u, 0x800B0101u},  // IS_NOT_TIME_VALID: CERT_E_EXPIRED
    {0x00000010u, 0x800B0110u},  // IS_NOT_VALID_FOR_USAGE: CERT_E_WRONG_USAGE
    {0x00000020u, 0x800B0109u},  // IS_UNTRUSTED_ROOT: CERT_E_UNTRUSTEDROOT
    {0x00010000u, 0x800B010Au},  // IS_PARTIAL_CHAIN: CERT_E_CHAINING
};

// REVOCATION_STATUS_UNKNOWN and IS_OFFLINE_REVOCATION.
constexpr std::uint32_t kOfflineRevocation = 0x00000040u | 0x01000000u;
constexpr std::uint32_t kOtherTrustFailure = 0x800B010Bu;  // TRUST_E_FAIL

}  // namespace

std::int32_t ChainTrustError(std::uint32_t errorStatus)
{
    errorStatus &= ~kOfflineRevocation;
    if (errorStatus == 0)
        return 0;
    for (const ChainRule& rule : kChainRules) {
        if (errorStatus & rule.bits)
            return static_cast<std::int32_t>(rule.error);
    }
    return static_cast<std::int32_t>(kOtherTrustFailure);
}
