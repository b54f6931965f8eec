// The framework's own classes, known to the form reader by name from the start.
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace vcl::detail {

void RegisterStandardClasses() {
  RegisterClasses({
      TComponent::StaticClass(),
      TControl::StaticClass(),
      TWinControl::StaticClass(),
      TGraphicControl::StaticClass(),
      TCustomControl::StaticClass(),
      TForm::StaticClass(),
      TTimer::StaticClass(),
      TEdit::StaticClass(),
      TAction::StaticClass(),
      TActionList::StaticClass(),
  });
}

}  // namespace vcl::detail
