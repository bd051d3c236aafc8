#include "FieldRunParser.h"

#include "StreamNumberScanner.h"

FieldRun FieldRunParser::Parse(const char* p, const char* limit, bool atEndOfText, float* out, std::size_t maxFields)
{
    FieldRun run;
    while (run.stored < maxFields)
    {
        p = StreamNumberScanner::SkipSpace(p, limit);
        if (p == limit)
        {
            run.streamFailed = atEndOfText;
            break;
        }
        float value = 0.0f;
        const bool extracted = StreamNumberScanner::ScanFloat(p, limit, value);
        out[run.stored++] = value;
        if (!extracted)
        {
            run.streamFailed = true;
            break;
        }
    }
    run.stop = p;
    return run;
}
