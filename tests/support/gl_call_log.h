#pragma once

#include "app/gl_functions.h"

#include <string>
#include <vector>

// Records every call made through the game's GL table while it lives. Each filled slot is
// swapped for a wrapper that notes the call and forwards it to the driver; the destructor
// puts the table back. Calls made without a current context are recorded too, which is
// the point: the driver ignores those silently, so only a record shows them.
//
// Make it after the GL context (whose creation fills the table afresh).
class GlCallLog {
public:
    GlCallLog();
    ~GlCallLog();
    GlCallLog(const GlCallLog&) = delete;
    GlCallLog& operator=(const GlCallLog&) = delete;

    // The calls in order, each "name arg arg ...": numbers in decimal, strings as they are,
    // other pointers as "*".
    const std::vector<std::string>& calls() const { return calls_; }
    // The calls to one entry point, in order.
    std::vector<std::string> callsTo(const std::string& name) const;
    void clear() { calls_.clear(); }

private:
    GlFunctions saved_;
    std::vector<std::string> calls_;
};
