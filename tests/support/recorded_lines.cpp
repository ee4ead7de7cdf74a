#include "tests/support/recorded_lines.h"

RecordedLines::RecordedLines()
{
    previous_ = setDiagHook(&RecordedLines::record, this, &previousUser_);
}

RecordedLines::~RecordedLines()
{
    setDiagHook(previous_, previousUser_);
}

void RecordedLines::record(void* user, DiagStream stream, std::string_view line)
{
    static_cast<RecordedLines*>(user)->said_.push_back({stream, std::string(line)});
}

std::vector<std::string> RecordedLines::lines(DiagStream stream) const
{
    std::vector<std::string> result;
    for (const Line& line : said_)
        if (line.stream == stream)
            result.push_back(line.text);
    return result;
}

std::string RecordedLines::joined(DiagStream stream) const
{
    std::string text;
    for (const Line& line : said_)
        if (line.stream == stream)
            text += line.text + '\n';
    return text;
}
