#include "frame/messages.h"

#include "frame/error_table.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/presenter.h"

namespace tessary {

int showErrorMessage(void* owner, std::uint32_t code, const char* text, const char* caption,
                     unsigned int style) {
  std::string message = errorCodeText(code);
  message += '\n';
  if (text != nullptr) message += text;
  return presentMessage(owner, message, caption != nullptr ? caption : "", style);
}

void showMessageBox(std::string text) {
  showErrorMessage(nullptr, 0, text.c_str(), "msgbox", kStyleIconError);
}

void logError(std::string message, std::string where) {
  File log;
  if (!log.open(temporaryDirectoryWithin260() + "Tarvex.err", File::Mode::kAppend)) return;
  std::string line = message + '\t' + where + '\n';
  log.write(line.data(), line.size());
}

}  // namespace tessary
