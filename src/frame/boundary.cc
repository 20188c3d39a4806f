#include "frame/boundary.h"

#include "frame/messages.h"
#include "platform/presenter.h"
#include "platform/text.h"

namespace tessary::detail {

GuardOutcome reportText(const BoundaryPolicy& policy, void* owner, bool showMessages,
                        const char* text) {
  try {
    if (policy.showText && showMessages) {
      if (policy.textThroughMessageBox)
        showMessageBox(text);
      else
        presentMessage(owner, text, policy.caption, policy.textStyle);
    }
    if (policy.logPlace != nullptr) logError(text, policy.logPlace);
  } catch (...) {
    // Reporting must not turn a text failure into another one.
  }
  return GuardOutcome::kTextFailure;
}

GuardOutcome reportOther(const BoundaryPolicy& policy, void* owner, bool showMessages) {
  const int systemError = lastSystemError();
  if (policy.otherText != nullptr) {
    std::string text = formatText(policy.otherText, systemError);
    if (showMessages)
      presentMessage(owner, text,
                     policy.otherCaption != nullptr ? policy.otherCaption : policy.caption,
                     policy.textStyle);
    if (policy.logPlace != nullptr) logError(text, policy.logPlace);
  }
  return GuardOutcome::kOtherFailure;
}

}  // namespace tessary::detail
