#include "winshell.h"

#include <windows.h>
#include <shellapi.h>

namespace Win {

ShellStart shellOpen(const std::string &file, const std::string &parameters, bool desktopOwner)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = desktopOwner ? GetDesktopWindow() : nullptr;
    info.lpVerb = "open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info))
        return {};
    return {true, info.hProcess};
}

bool shellExecuteOpen(const std::wstring &file)
{
    const HINSTANCE result = ShellExecuteW(GetDesktopWindow(), L"open", file.c_str(), nullptr,
                                           nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

unsigned long endedProcessCode(void *process)
{
    DWORD code = 0;
    GetExitCodeProcess(static_cast<HANDLE>(process), &code);
    CloseHandle(static_cast<HANDLE>(process));
    return code;
}

} // namespace Win
