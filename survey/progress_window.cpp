// Win32-only. The progress window. The survey runs on a worker thread: the driver's waits block,
// and the window must still repaint and take a click on Cancel meanwhile.
#include "survey/progress_window.h"

#include "common/kit_window.h"
#include "common/number_text.h"
#include "common/owners.h"


namespace kit::survey {
namespace {

constexpr wchar_t kClassName[] = L"KitSurveyProgress";
constexpr wchar_t kCaption[] = L"kit_survey";
constexpr UINT kProgressMessage = WM_APP + 1;  // wParam done, lParam total; text in the shared state
constexpr UINT kFinishedMessage = WM_APP + 2;
constexpr int kCancelId = 2;
constexpr int kWidth = 440, kHeight = 150;  // the end-to-end test clicks Cancel at its place

struct State {
  std::atomic<bool>* cancel = nullptr;
  HWND label = nullptr;
  HWND button = nullptr;
  int done = 0, total = 1;
  CRITICAL_SECTION lock;
  std::wstring running;
};

struct Worker {
  State& state;
  HWND window;
  const std::function<void(const ProgressReport&)>& work;
};

DWORD WINAPI RunWorker(void* parameter) {
  Worker& worker = *static_cast<Worker*>(parameter);
  worker.work([&](int done, int total, const std::wstring& program) {
    EnterCriticalSection(&worker.state.lock);
    worker.state.running = done < total ? L"Running " + program + L" (" + Decimal(done + 1) + L" of " +
                                              Decimal(total) + L")"
                                        : L"Writing the report";
    LeaveCriticalSection(&worker.state.lock);
    PostMessageW(worker.window, kProgressMessage, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
  });
  PostMessageW(worker.window, kFinishedMessage, 0, 0);
  return 0;
}

RECT BarRect(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {16, 44, client.right - 16, 66};
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case kProgressMessage: {
      state->done = static_cast<int>(wParam);
      state->total = static_cast<int>(lParam) > 0 ? static_cast<int>(lParam) : 1;
      EnterCriticalSection(&state->lock);
      const std::wstring text = state->running;
      LeaveCriticalSection(&state->lock);
      SetWindowTextW(state->label, text.c_str());
      const RECT bar = BarRect(window);
      InvalidateRect(window, &bar, TRUE);
      return 0;
    }
    case kFinishedMessage:
      DestroyWindow(window);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCancelId && state) {
        state->cancel->store(true);
        EnableWindow(state->button, FALSE);
        SetWindowTextW(state->label, L"Cancelling: the program running now finishes first");
      }
      return 0;
    case WM_CLOSE:
      if (state) SendMessageW(window, WM_COMMAND, kCancelId, 0);
      return 0;  // the window goes when the survey has stopped
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      const RECT bar = BarRect(window);
      FrameRect(dc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
      RECT filled = bar;
      InflateRect(&filled, -2, -2);
      filled.right = filled.left + (filled.right - filled.left) * state->done / state->total;
      FillRect(dc, &filled, GetSysColorBrush(COLOR_HIGHLIGHT));
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RunWithProgressWindow(HINSTANCE instance, std::atomic<bool>& cancel,
                           const std::function<void(const ProgressReport&)>& work) {
  State state;
  state.cancel = &cancel;
  InitializeCriticalSection(&state.lock);
  RegisterKitWindowClass(instance, kClassName, Procedure);
  // Bottom right, out of the way of the programs' own windows.
  const int left = GetSystemMetrics(SM_CXSCREEN) - kWidth - 8;
  const int top = GetSystemMetrics(SM_CYSCREEN) - kHeight - 40;
  HWND window = CreateWindowExW(0, kClassName, kCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, left, top, kWidth,
                                kHeight, nullptr, nullptr, instance, &state);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  state.label = CreateWindowExW(0, L"Static", L"Starting", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 16, 14,
                                kWidth - 40, 20, window, nullptr, instance, nullptr);
  state.button = CreateWindowExW(0, L"Button", L"Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                 kWidth - 110, 76, 80, 26, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)), instance, nullptr);
  SendMessageW(state.label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(state.button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);

  Worker job{state, window, work};
  // A plain system thread: the C++ runtime's threads would bring a thread library of their own.
  UniqueHandleObject worker(CreateThread(nullptr, 0, &RunWorker, &job, 0, nullptr));
  if (!worker) RunWorker(&job);  // no thread to be had: the survey runs here, the window shows its end
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (worker) WaitForSingleObject(worker.get(), INFINITE);
  DeleteCriticalSection(&state.lock);
}

}  // namespace kit::survey
