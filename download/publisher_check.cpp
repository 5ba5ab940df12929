#include "download/publisher_check.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <memory>

#include "download/publisher_rules.h"

namespace {

// WinVerifyTrust keeps what it found until told to close it.
class TrustState {
public:
    explicit TrustState(WINTRUST_DATA& data) : m_data(data) {}
    ~TrustState()
    {
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
    }
    TrustState(const TrustState&) = delete;
    TrustState& operator=(const TrustState&) = delete;

private:
    WINTRUST_DATA& m_data;
};

struct ChainFreer {
    void operator()(PCCERT_CHAIN_CONTEXT chain) const { CertFreeCertificateChain(chain); }
};
using UniqueChain = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer>;

std::wstring SimpleDisplayName(PCCERT_CONTEXT certificate)
{
    const DWORD size = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    std::wstring name(size, L'\0');
    CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), size);
    name.resize(size != 0 ? size - 1 : 0);
    return name;
}

// The signer's own chain, built anew at `when` (null: now): WinVerifyTrust accepts a
// chain that stops short of a trusted root on some systems, so the chain's own trust
// bits decide as well.
LONG CheckSignerChain(PCCERT_CONTEXT certificate, const FILETIME* when)
{
    LPSTR codeSigning = const_cast<LPSTR>(szOID_PKIX_KP_CODE_SIGNING);
    CERT_CHAIN_PARA parameters{};
    parameters.cbSize = sizeof(parameters);
    parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
    parameters.RequestedUsage.Usage.rgpszUsageIdentifier = &codeSigning;
    PCCERT_CHAIN_CONTEXT built = nullptr;
    FILETIME at{};
    if (when != nullptr)
        at = *when;
    // The signature's own certificates (its store) supply any intermediate.
    if (!CertGetCertificateChain(nullptr, certificate, when != nullptr ? &at : nullptr, certificate->hCertStore,
                                 &parameters, CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT, nullptr, &built))
        return static_cast<LONG>(GetLastError());
    const UniqueChain chain(built);
    if (const LONG error = ChainTrustError(chain->TrustStatus.dwErrorStatus))
        return error;

    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof(policy);
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof(status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain.get(), &policy, &status))
        return static_cast<LONG>(GetLastError());
    return static_cast<LONG>(status.dwError);
}

}  // namespace

LONG CheckPublisher(HANDLE file, const std::wstring& path, const std::wstring& signer)
{
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;  // the held handle: what is checked is what will run
    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    // Revocation is looked at on the signer's chain below, where a status that cannot
    // be had offline is no reason to refuse.
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG verdict = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    const TrustState state(data);
    if (verdict != ERROR_SUCCESS)
        return verdict;

    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signature = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (signature == nullptr || signature->csCertChain == 0 || signature->pasCertChain[0].pCert == nullptr)
        return TRUST_E_NOSIGNATURE;
    const PCCERT_CONTEXT certificate = signature->pasCertChain[0].pCert;
    if (SimpleDisplayName(certificate) != signer)
        return kPublisherMismatch;
    // A certificate expires; a signature made while it was valid does not. Where a
    // time-stamp that WinVerifyTrust accepted says when the file was signed, the chain
    // is judged at that moment (WinVerifyTrust has put it in sftVerifyAsOf); without
    // one, only today can be vouched for.
    const bool timeStamped = signature->csCounterSigners > 0 && signature->pasCounterSigners != nullptr &&
                             signature->pasCounterSigners[0].dwError == ERROR_SUCCESS;
    return CheckSignerChain(certificate, timeStamped ? &signature->sftVerifyAsOf : nullptr);
}
