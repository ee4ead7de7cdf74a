#pragma once

#include "diag/diagnostics.h"

#include <string>
#include <vector>

// Records every line said through the diagnostics module while the object lives, instead of
// letting it reach the console; the hook that was installed before comes back afterwards.
class RecordedLines {
public:
    RecordedLines();
    ~RecordedLines();
    RecordedLines(const RecordedLines&) = delete;
    RecordedLines& operator=(const RecordedLines&) = delete;

    // What the stream would have shown: each line followed by its newline.
    std::string out() const { return joined(DiagStream::Out); }
    std::string err() const { return joined(DiagStream::Err); }
    // The lines said on one stream, in order, without newlines.
    std::vector<std::string> lines(DiagStream stream) const;

private:
    struct Line {
        DiagStream stream;
        std::string text;
    };
    static void record(void* user, DiagStream stream, std::string_view line);
    std::string joined(DiagStream stream) const;

    std::vector<Line> said_;
    DiagHook previous_ = nullptr;
    void* previousUser_ = nullptr;
};
