// Members of Regression put their own label in front of a message passing through.
#pragma once

#include <string>

#include "frame/failure.h"

namespace tessary {

// Runs work(); a message it raises is raised again with `label` in front.
template <class Work>
auto withLabel(const char* label, Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const Failure& failure) {
    raiseFailure(label + failure.text());
  }
}

}  // namespace tessary
