// Reading the command lines of zefrun and zefcorrige.
#pragma once

#include <initializer_list>
#include <string>

namespace zef {

// "--option VALUE" or "--option=VALUE" at argv[i], under any of the names: 1 with the value
// in `out` (i then stands on the value when it was a word of its own), 0 when argv[i] is
// not that option, -1 when its value is missing.
inline int optionValue(int argc, char** argv, int& i, std::initializer_list<const char*> names, std::string& out) {
    const std::string a = argv[i];
    for (const std::string name : names) {
        if (a == name) {
            if (i + 1 >= argc) return -1;
            out = argv[++i];
            return 1;
        }
        if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0) {
            out = a.substr(name.size() + 1);
            return 1;
        }
    }
    return 0;
}

} // namespace zef
