#include "platform/redirection_trust.h"
#include "platform/system_library.h"

MitigationPolicySetter LookUpMitigationPolicySetter() {
  return KernelFunction<MitigationPolicySetter>("SetProcessMitigationPolicy");
}
