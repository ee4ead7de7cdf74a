// Fuzzes the command-line parser: the input is the arguments after the program's name, each
// ended by a zero byte. Whatever they are, the parser gives a request whose fields agree.

#include "main/command_line.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> arguments{"zorbel"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty())
        arguments.push_back(current);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const CommandLine line = parseCommandLine(static_cast<int>(arguments.size()), argv.data());
    const bool mistaken = line.request == CommandLine::Request::Mistake;
    if (mistaken == line.mistake.empty())
        __builtin_trap();
    return 0;
}
