#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox
{
    DWORD processId;
    HWND owner;
    std::wstring caption;
    std::wstring text;
};

// Watches, on a background thread, for message boxes (dialog class "#32770") of one process
// (0 = the current process), records caption and text of each once, and dismisses it by
// pressing its default button (for MB_OK: OK). Works for boxes shown by the test's own main
// thread (which blocks in the box until it is dismissed) and for boxes of a child process.
// Any visible dialog of that process counts as a message box.
class MessageBoxWatcher
{
public:
    explicit MessageBoxWatcher(DWORD processId = 0);
    ~MessageBoxWatcher();  // stops watching; boxes still open stay open
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenMessageBox> Seen() const;  // in the order they appeared
    bool WaitForCount(size_t count, DWORD timeoutMs) const;

private:
    void Watch();
    void Scan();
    static BOOL CALLBACK CollectBox(HWND window, LPARAM context);
    void Handle(HWND box);

    const DWORD processId;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool stopping = false;
    std::vector<SeenMessageBox> seen;
    std::set<HWND> dismissed;        // boxes already recorded, until they are gone
    std::vector<HWND> found;         // scratch list of one scan
    std::thread watcher;
};
