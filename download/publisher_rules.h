// What makes a signer's certificate chain unacceptable for the product installer, as
// the code the system error box shows. Plain values, so that the rule is tested natively.
#pragma once

#include <cstdint>

// The chain's trust error bits (CERT_TRUST_* of the chain's TrustStatus) as the error
// to report, or 0 when the chain is acceptable. A revocation status that cannot be had
// offline is no error: an installer must install on a machine without access to the
// issuer's revocation lists. Where several bits are set the first of these wins:
// revoked, bad signature, expired, wrong usage, untrusted root, partial chain, other.
std::int32_t ChainTrustError(std::uint32_t errorStatus);

// The signer's name is not the publisher the program was built for (CERT_E_CN_NO_MATCH).
inline constexpr std::int32_t kPublisherMismatch = static_cast<std::int32_t>(0x800B010Fu);
