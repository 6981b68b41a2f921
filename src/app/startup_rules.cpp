#include "app/startup_rules.h"

#include "core/discovery.h"
#include "base/text.h"

namespace quilvo {

const char* ArgumentText(const char* commandLine) {
    if (commandLine == nullptr) return "";
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (static_cast<unsigned char>(*p) > ' ') ++p;
    }
    while (*p != '\0' && static_cast<unsigned char>(*p) <= ' ') ++p;
    return p;
}

void SessionClassFromArguments(const char* arguments, char* out, std::size_t capacity) {
    const char* name = (arguments != nullptr && arguments[0] != '\0') ? arguments : kDefaultSessionClass;
    CopyCut(out, capacity < kClassNameCapacity ? capacity : kClassNameCapacity, name);
}

int IconForSessionClass(const char* className) {
    if (EqualsNoCase(className, "afx:400000:8:10011:0:302a5")) return 107;
    if (EqualsNoCase(className, "wndclass_desked_gsk")) return 106;
    return 103;
}

}  // namespace quilvo
