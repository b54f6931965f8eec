#include "platform/vcl/Dialogs.h"

#include "platform/vcl/Forms.h"

namespace vcl::detail {
void ShowBox(const std::string& title, const std::string& text, bool error);
}

void ShowMessage(const std::string& text) {
  const auto& hook = TApplication::ShowMessageHook();
  std::string title = Application->GetTitle();
  if (hook)
    hook(title, text);
  else
    vcl::detail::ShowBox(title, text, false);
}
