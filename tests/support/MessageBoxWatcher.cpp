#include "MessageBoxWatcher.h"

#include <chrono>

namespace
{
const DWORD ScanIntervalMs = 15;
// Cross-process messages to a box that stopped answering must not hang the watcher. Not
// SMTO_ABORTIFHUNG: a program that compiled for seconds before showing its box counts as
// hung until its modal loop has run a while, and would be read as an empty box.
const UINT AnswerTimeoutMs = 2000;
// Message boxes carry their text in a static control with this id.
const LONG_PTR MessageTextId = 0xFFFF;

std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, AnswerTimeoutMs, &length))
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                             reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL, AnswerTimeoutMs, &copied))
        return std::wstring();
    text.resize(static_cast<size_t>(copied));
    return text;
}

bool HasClass(HWND window, const wchar_t* className)
{
    wchar_t name[64];
    return GetClassNameW(window, name, 64) > 0 && lstrcmpiW(name, className) == 0;
}

// The id is compared in its low 16 bits: dialog templates store control ids as WORDs.
HWND MessageTextControl(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        const LONG_PTR id = GetWindowLongPtrW(child, GWLP_ID) & 0xFFFF;
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (id == MessageTextId && HasClass(child, L"Static") && (style & SS_TYPEMASK) != SS_ICON)
            return child;
    }
    return nullptr;
}

// The button drawn as default; Wine answers DM_GETDEFID with IDOK even where
// another button is the default, so the button style decides first.
WORD DefaultButton(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (HasClass(child, L"Button") && (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return static_cast<WORD>(GetWindowLongPtrW(child, GWLP_ID));
    }
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_NORMAL, AnswerTimeoutMs, &answer) &&
        HIWORD(answer) == DC_HASDEFID)
        return LOWORD(answer);
    return IDOK;
}

// Posted, so neither side waits for the other while the box's modal loop ends.
void PressButton(HWND box, WORD id)
{
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}
}

MessageBoxWatcher::MessageBoxWatcher(DWORD processId)
    : processId(processId ? processId : GetCurrentProcessId())
{
    watcher = std::thread(&MessageBoxWatcher::Watch, this);
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    watcher.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return seen;
}

bool MessageBoxWatcher::WaitForCount(size_t count, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return seen.size() >= count; });
}

void MessageBoxWatcher::Watch()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping)
    {
        lock.unlock();
        Scan();
        lock.lock();
        changed.wait_for(lock, std::chrono::milliseconds(ScanIntervalMs), [&] { return stopping; });
    }
}

void MessageBoxWatcher::Scan()
{
    found.clear();
    EnumWindows(&MessageBoxWatcher::CollectBox, reinterpret_cast<LPARAM>(this));
    for (HWND box : found)
        Handle(box);

    // Forget closed boxes, so a later box that reuses a handle is still seen.
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = dismissed.begin(); it != dismissed.end();)
        it = IsWindow(*it) ? std::next(it) : dismissed.erase(it);
}

BOOL CALLBACK MessageBoxWatcher::CollectBox(HWND window, LPARAM context)
{
    MessageBoxWatcher* self = reinterpret_cast<MessageBoxWatcher*>(context);
    DWORD owningProcess = 0;
    GetWindowThreadProcessId(window, &owningProcess);
    // Invisible boxes are still being set up: their text may not be there yet.
    if (owningProcess == self->processId && IsWindowVisible(window) && HasClass(window, L"#32770"))
        self->found.push_back(window);
    return TRUE;
}

void MessageBoxWatcher::Handle(HWND box)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!dismissed.insert(box).second)
            return;
    }
    SeenMessageBox record;
    record.processId = processId;
    record.owner = GetWindow(box, GW_OWNER);
    record.caption = TextOf(box);
    const HWND textControl = MessageTextControl(box);
    if (textControl)
        record.text = TextOf(textControl);
    const WORD button = DefaultButton(box);

    {
        std::lock_guard<std::mutex> lock(mutex);
        seen.push_back(record);
    }
    changed.notify_all();
    PressButton(box, button);
}
