#include "app/autostart_rules.h"

#include <cstring>

#include "base/text.h"

namespace quilvo {

std::string RunValueName(const char* givenClass) {
    std::string name = "Quilvo";
    if (givenClass != nullptr && givenClass[0] != '\0') name += std::string(" ") + givenClass;
    return name;
}

std::string RunCommand(const char* programPath, const char* arguments) {
    std::string command = std::string("\"") + (programPath ? programPath : "") + "\"";
    if (arguments != nullptr && arguments[0] != '\0') command += std::string(" ") + arguments;
    return command;
}

bool RunCommandStarts(const char* command, const char* programPath) {
    if (command == nullptr || programPath == nullptr || programPath[0] == '\0') return false;
    while (*command == ' ') ++command;
    const bool quoted = *command == '"';
    if (quoted) ++command;
    const char* end = command;
    while (*end != '\0' && (quoted ? *end != '"' : *end != ' ')) ++end;
    if (quoted && *end != '"') return false;
    const std::string first(command, end);
    return EqualsNoCase(first.c_str(), programPath);
}

}  // namespace quilvo
