#include "platform/presenter.h"

#include <atomic>
#include <cstdio>

namespace tessary {
namespace {

std::atomic<MessageHandler> installed{nullptr};

int presentOnStandardError(void*, const char* text, const char* caption, unsigned int style) {
  std::fprintf(stderr, "[%s]\n%s\n", caption, text);
  std::fflush(stderr);
  return defaultButton(style);
}

}  // namespace

int defaultButton(unsigned int style) {
  // Button sets by the low nibble of the style; MB_DEFBUTTON2..4 (0x100..0x300) pick
  // the second to fourth button.
  static const int kButtons[][3] = {
      {kIdOk, kIdOk, kIdOk},             // MB_OK
      {kIdOk, kIdCancel, kIdCancel},     // MB_OKCANCEL
      {kIdAbort, kIdRetry, kIdIgnore},   // MB_ABORTRETRYIGNORE
      {kIdYes, kIdNo, kIdCancel},        // MB_YESNOCANCEL
      {kIdYes, kIdNo, kIdNo},            // MB_YESNO
      {kIdRetry, kIdCancel, kIdCancel},  // MB_RETRYCANCEL
  };
  unsigned set = style & 0xF;
  if (set >= sizeof kButtons / sizeof kButtons[0]) set = 0;
  unsigned choice = (style >> 8) & 0xF;
  if (choice > 2) choice = 2;
  return kButtons[set][choice];
}

int presentMessage(void* owner, const std::string& text, const std::string& caption,
                   unsigned int style) {
  MessageHandler handler = installed.load();
  if (handler == nullptr) handler = presentOnStandardError;
  return handler(owner, text.c_str(), caption.c_str(), style);
}

MessageHandler setMessageHandler(MessageHandler handler) {
  return installed.exchange(handler);
}

}  // namespace tessary
