#include "app/startup_rules.h"

#include <string>

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

bool SameFolder(const char* a, const char* b) {
    if (a == nullptr || b == nullptr || a[0] == '\0' || b[0] == '\0') return false;
    std::string x(a);
    std::string y(b);
    for (std::string* p : {&x, &y}) {
        while (p->size() > 1 && (p->back() == '\\' || p->back() == '/')) p->pop_back();
    }
    return EqualsNoCase(x.c_str(), y.c_str());
}

int IconForSessionClass(const char* className) {
    if (EqualsNoCase(className, "afx:400000:8:10011:0:302a5")) return 107;
    if (EqualsNoCase(className, "wndclass_desked_gsk")) return 106;
    return 103;
}

}  // namespace quilvo
