#pragma once

#include <functional>
#include <string>

// How a second start reaches the running instance: a message-only window of
// a class named for the program, which hears one message, "show your
// window". Message-only windows are found and reached from the same desktop
// only, and each user's session has its own: another user's start finds
// nothing here, as the socket in the private folder does on Linux.
namespace Win {

// The one message the window hears: WM_APP + 1, private to its class.
constexpr unsigned kShowRequestMessage = 0x8000 + 1;

// The window class of the program of that name: "<name>.ShowRequests".
std::wstring showRequestClass(const std::wstring &name);

// The running instance's side. Made, heard and ended on one thread, whose
// message loop dispatches the window's messages; `show` runs there, once for
// each request, and must not throw: nothing may unwind through the system.
class ShowRequestListener
{
public:
    ShowRequestListener(const std::wstring &name, std::function<void()> show);
    ~ShowRequestListener();
    ShowRequestListener(const ShowRequestListener &) = delete;
    ShowRequestListener &operator=(const ShowRequestListener &) = delete;

    // False when the window could not be made: nobody can ask then.
    bool listening() const { return m_window != nullptr; }

private:
    std::wstring m_class;
    std::function<void()> m_show;
    void *m_window = nullptr;
};

// The second start's side: posts the request to the window of the program of
// that name, letting it come to the foreground. False when there is no such
// window, or it would not take the message (it runs elevated).
bool askToShow(const std::wstring &name);

} // namespace Win
