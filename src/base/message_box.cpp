// Message boxes; see message_box.h.
#include "base/message_box.h"

#include "base/worker_call.h"

const char kControlCaption[] = "Web-to-Host Control";
const char kCacheErrorCaption[] = "Web-to-Host Control - Cache Error";
const char kWriteErrorCaption[] = "Web-to-Host Control - Write Error";
const char kLaunchErrorCaption[] = "Program Launch Error";

namespace {

LONG ShowBoxOnWorker(void* context) {
  return MessageBoxA(nullptr, (const char*)context, kControlCaption, kErrorBoxStyle);
}

}  // namespace

int ShowErrorBox(HWND owner, const char* text, const char* caption) {
  return MessageBoxA(owner, text ? text : "", caption, kErrorBoxStyle);
}

int ThreadedMessageBox(const char* text) {
  LONG result = 0;
  RunOnWorker(ShowBoxOnWorker, (void*)(text ? text : ""), &result);
  return (int)result;
}
