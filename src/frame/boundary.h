// The boundary guard: every export that runs file-backed or model-level work runs its
// body through runGuarded, which ends any failure there. A thrown Failure is shown
// with the export's caption; anything else (a Failure raised as unexpected, another
// exception type, std::bad_alloc) is an "other failure" with its own fixed text.
// No exception leaves a guarded export.
#pragma once

#include <string>

#include "frame/failure.h"

namespace tessary {

// One row of the exports' caption table.
struct BoundaryPolicy {
  const char* caption = "";
  unsigned int textStyle = 0x10;  // box style for a thrown text
  int textResult = -2;            // result after a thrown text
  bool showText = true;           // false: a thrown text is returned without a box
  // true: a thrown text is shown as showMessageBox shows it ("Unexpected error", a
  // line feed, the text; caption "msgbox"), for exports whose message comes from there.
  bool textThroughMessageBox = false;

  // Any other failure: the text shown (nullptr: no box; may hold one %i for the last
  // system error code), its caption (nullptr: `caption`) and the result.
  const char* otherText = nullptr;
  const char* otherCaption = nullptr;
  int otherResult = -1;

  // When set, every failure is also appended to the error log with this place.
  const char* logPlace = nullptr;
};

enum class GuardOutcome { kCompleted, kTextFailure, kOtherFailure };

namespace detail {
GuardOutcome reportText(const BoundaryPolicy& policy, void* owner, bool showMessages,
                        const char* text);
GuardOutcome reportOther(const BoundaryPolicy& policy, void* owner, bool showMessages);
}  // namespace detail

// Runs `body`, ending every failure it raises as `policy` says. `owner` is the message
// box owner; `showMessages` false suppresses the boxes (the log line is still written).
template <class Body>
GuardOutcome runGuarded(const BoundaryPolicy& policy, Body&& body, void* owner = nullptr,
                        bool showMessages = true) noexcept {
  try {
    body();
    return GuardOutcome::kCompleted;
  } catch (const Failure& failure) {
    if (!failure.isUnexpected())
      return detail::reportText(policy, owner, showMessages, failure.what());
  } catch (...) {
  }
  try {
    return detail::reportOther(policy, owner, showMessages);
  } catch (...) {
    return GuardOutcome::kOtherFailure;  // even the report failed (no memory left)
  }
}

// Runs `body` and returns its result, or the policy's failure result.
template <class Result, class Body>
Result guardExport(const BoundaryPolicy& policy, Body&& body, void* owner = nullptr,
                   bool showMessages = true) noexcept {
  Result result{};
  switch (runGuarded(
      policy, [&] { result = body(); }, owner, showMessages)) {
    case GuardOutcome::kCompleted:
      return result;
    case GuardOutcome::kTextFailure:
      return static_cast<Result>(policy.textResult);
    case GuardOutcome::kOtherFailure:
      break;
  }
  return static_cast<Result>(policy.otherResult);
}

// A string argument of an export; NULL reads as empty.
inline std::string argumentText(const char* text) {
  return text != nullptr ? text : "";
}

// The policy of the library's own additions for hosts (tessaryImport ...): a failure
// is shown with the function's name as caption, an unexpected one as "Unexpected error
// occured", and either returns -1.
constexpr BoundaryPolicy additionPolicy(const char* caption) {
  return {.caption = caption,
          .textResult = -1,
          .otherText = "Unexpected error occured",
          .otherResult = -1};
}

// The policy of the exports without a message of their own (matrices, distribution
// functions, small statistics, univariate statistics, the packed-list diagnostic):
// every failure, std::bad_alloc included, ends silently in the export's documented
// failure result.
inline constexpr BoundaryPolicy kSilentPolicy{.caption = "", .showText = false};

// Runs `body` under the silent policy and returns its result, or `failureResult`.
template <class Result, class Body>
Result guardSilently(Result failureResult, Body&& body) noexcept {
  Result result = failureResult;
  const GuardOutcome outcome = runGuarded(kSilentPolicy, [&] { result = body(); });
  return outcome == GuardOutcome::kCompleted ? result : failureResult;
}

// The same for an export without a result.
template <class Body>
void guardSilently(Body&& body) noexcept {
  runGuarded(kSilentPolicy, body);
}

}  // namespace tessary
