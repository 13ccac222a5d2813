#include "support/host_threading.h"

namespace {

// The Host's hidden window, whose procedure runs the calls that other threads make.
constexpr char kWindowClass[] = "KorvaneFakeHostWindow";
constexpr UINT kRunCallMessage = WM_APP + 1;

} // namespace

HostThreading::~HostThreading() {
    if (window != nullptr)
        DestroyWindow(window);
}

void HostThreading::BecomeKind(HostKind newKind) {
    if (newKind == HostKind::OwnThread && window == nullptr) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &HostThreading::WindowProc;
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass); // fails harmlessly when an earlier Host registered it
        window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 nullptr);
        hostThread = GetCurrentThreadId();
    }
    kind = newKind;
}

int32_t HostThreading::RunOnHostThread(const std::function<int32_t()>& call) {
    return static_cast<int32_t>(
        SendMessageA(window, kRunCallMessage, 0, reinterpret_cast<LPARAM>(&call)));
}

LRESULT CALLBACK HostThreading::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message != kRunCallMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    return (*reinterpret_cast<const std::function<int32_t()>*>(lParam))();
}
