#include "launcher/show_message.h"
#include "launcher/status_message.h"

void ShowStatusMessage(uint32_t status, int32_t detail) {
  char message[1024];
  bool information = ComposeStatusMessage(status, detail, message, sizeof message);
  ShowMessage(message, information ? 1 : 0);
}
