#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

// Bad input is reported in one line naming the file and the problem: text must be exactly one
// line that begins with prefix (which names the file) and mentions problem after it.
inline ::testing::AssertionResult isOneLineReport(const std::string& text,
                                                  const std::string& prefix,
                                                  const std::string& problem)
{
    if (text.rfind(prefix, 0) == 0 && text.find(problem, prefix.size()) != std::string::npos &&
        std::count(text.begin(), text.end(), '\n') == 1 && text.back() == '\n')
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not one line beginning \"" << prefix
                                         << "\" and naming \"" << problem << "\": " << text;
}
