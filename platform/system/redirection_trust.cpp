#include "platform/system/redirection_trust.h"

namespace {

// ProcessRedirectionTrustPolicy, and EnforceRedirectionTrust in its
// PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY: newer than the headers the
// product is built with.
constexpr int kProcessRedirectionTrustPolicy = 16;
constexpr DWORD kEnforceRedirectionTrust = 0x1;

}  // namespace

bool EnforceRedirectionTrust() {
  MitigationPolicySetter setPolicy = LookUpMitigationPolicySetter();
  DWORD flags = kEnforceRedirectionTrust;
  return setPolicy && setPolicy(kProcessRedirectionTrustPolicy, &flags, sizeof flags);
}
