// Worker-thread calls; see worker_call.h.
#include "base/worker_call.h"

#include "base/message_pump.h"

namespace {

struct WorkerCall {
  WorkerFunction work;
  void* context;
  volatile LONG result;
  volatile LONG done;
  HMODULE module;  // keeps this code loaded until the thread has left it
};

DWORD WINAPI WorkerMain(void* parameter) {
  WorkerCall* call = (WorkerCall*)parameter;
  HMODULE module = call->module;
  LONG result = call->work(call->context);
  InterlockedExchange(&call->result, result);
  InterlockedExchange(&call->done, 1);
  // The caller's record may be gone from here on.
  SignalWake();
  if (module) FreeLibraryAndExitThread(module, 0);
  return 0;
}

bool IsDone(void* parameter) {
  return InterlockedCompareExchange(&((WorkerCall*)parameter)->done, 0, 0) != 0;
}

}  // namespace

bool RunOnWorker(WorkerFunction work, void* context, LONG* result, WhileWaiting whileWaiting,
                 void* waitingContext, DWORD lookMs) {
  WorkerCall call = {work, context, 0, 0, nullptr};
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)&WorkerMain, &call.module);
  HANDLE thread = CreateThread(nullptr, 0, WorkerMain, &call, 0, nullptr);
  if (!thread) {
    if (call.module) FreeLibrary(call.module);
    return false;
  }
  CloseHandle(thread);

  bool looking = whileWaiting != nullptr;
  unsigned flags = 0;
  while (!IsDone(&call)) {
    if (looking && whileWaiting(waitingContext)) looking = false;
    if (WaitWhilePumping(IsDone, &call, looking ? lookMs : INFINITE, flags) == kWaitQuit)
      flags = kWaitNoDispatch;
  }
  *result = call.result;
  return true;
}
