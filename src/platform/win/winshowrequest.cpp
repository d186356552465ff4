#include "winshowrequest.h"

#include <windows.h>

#include <utility>

namespace Win {

static_assert(kShowRequestMessage == WM_APP + 1);

namespace {

// The window's user data: the listener's call, which outlives the window.
using Show = std::function<void()>;

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto *creation = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    } else if (message == kShowRequestMessage) {
        const auto *show = reinterpret_cast<const Show *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (show && *show)
            (*show)();
        return 0;
    } else if (message == WM_CLOSE) {
        // The window goes with its listener only: another program posting
        // this would leave the listener deaf, holding a handle that a later
        // window may be given.
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

std::wstring showRequestClass(const std::wstring &name)
{
    return name + L".ShowRequests";
}

ShowRequestListener::ShowRequestListener(const std::wstring &name, std::function<void()> show)
    : m_class(showRequestClass(name)), m_show(std::move(show))
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = m_class.c_str();
    // Another listener of this process may have registered it already.
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return;
    m_window = CreateWindowExW(0, m_class.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, &m_show);
}

ShowRequestListener::~ShowRequestListener()
{
    if (m_window)
        DestroyWindow(static_cast<HWND>(m_window));
    // Refused while another listener's window of the class remains; the last one's goes.
    UnregisterClassW(m_class.c_str(), GetModuleHandleW(nullptr));
}

bool askToShow(const std::wstring &name)
{
    const HWND window =
        FindWindowExW(HWND_MESSAGE, nullptr, showRequestClass(name).c_str(), nullptr);
    if (!window)
        return false;
    // We were started by the user and may take the foreground; the instance
    // showing its window may not, unless we let it.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    // Refused by a window of an elevated instance: it shows nothing then.
    return PostMessageW(window, kShowRequestMessage, 0, 0);
}

} // namespace Win
