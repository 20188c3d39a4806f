// The tool's words for the negative results of the library's shape and linkage
// functions.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tessary::cli {

// What a call was working on, for the message.
struct ShapeCall {
  ShapeCall(std::string source, std::string target = "", std::string idField = "GID",
            std::string labelField = "Label")
      : source(std::move(source)),
        target(std::move(target)),
        idField(std::move(idField)),
        labelField(std::move(labelField)) {}

  std::string source;  // the shape file read
  std::string target;  // the shape file written, if any
  std::string idField;
  std::string labelField;
};

// The message of `result` (a negative spatial result) for that call.
std::string shapeFailureText(std::int32_t result, const ShapeCall& call);

// Raises the message when result < 0; returns result otherwise.
std::int32_t checkShapeResult(std::int32_t result, const ShapeCall& call);

}  // namespace tessary::cli
