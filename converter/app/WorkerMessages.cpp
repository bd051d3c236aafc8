#include "WorkerMessages.h"

#include <algorithm>

namespace
{
const char ProgressKind = 'p', SummaryKind = 's', ErrorKind = 'e';
}

std::string WorkerMessages::Progress(const std::string& text) { return Message(ProgressKind, text); }

std::string WorkerMessages::Result(bool succeeded, const std::string& line)
{
    return Message(succeeded ? SummaryKind : ErrorKind, line);
}

std::string WorkerMessages::Message(char kind, const std::string& text)
{
    std::string message = kind + text;
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message + '\n';
}

void WorkerMessages::Take(const char* bytes, std::size_t count, ProgressLine& progressLine)
{
    received.append(bytes, count);
    for (std::size_t end = received.find('\n'); end != std::string::npos; end = received.find('\n'))
    {
        const std::string text = received.substr(1, end - 1);
        if (received[0] == ProgressKind)
            progressLine.Show(text);
        else if (received[0] == SummaryKind || received[0] == ErrorKind)
        {
            reported = true;
            succeeded = received[0] == SummaryKind;
            line = text;
        }
        received.erase(0, end + 1);
    }
}

bool WorkerMessages::ReportedWith(long long exitStatus) const
{
    return reported && exitStatus == (succeeded ? 0 : 1);
}
