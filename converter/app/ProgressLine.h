#pragma once
#include <string>

// The one line on a terminal's standard error that shows how a conversion
// goes, rewritten in place and cleared before the result is printed. Where
// standard error is no terminal it shows nothing, so that scripts see only
// the result.
class ProgressLine
{
public:
    ProgressLine();

    bool Showing() const { return terminal; }
    void Show(const std::string& text);
    void Clear();

    // Clears a line that is shown: safe in a signal handler.
    static void ClearNow();

private:
    bool terminal;
};
