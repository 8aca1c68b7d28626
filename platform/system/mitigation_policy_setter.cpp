#include "platform/system/redirection_trust.h"
#include "platform/system/system_library.h"

MitigationPolicySetter LookUpMitigationPolicySetter() {
  return KernelFunction<MitigationPolicySetter>("SetProcessMitigationPolicy");
}
