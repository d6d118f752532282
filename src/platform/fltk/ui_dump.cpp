#include "platform/fltk/ui_dump.h"

#include <cstdio>

#include "io/file.h"

namespace sonkrate::platform::desktop {

std::string escapeDumpText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescapeDumpText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

void writeDumpFile(const std::string& path, const std::string& text) {
    std::string temporary = path + ".new";
    io::File file;
    if (!file.open(temporary, io::FileMode::Write)) return;
    bool ok = file.writeText(text).ok;
    ok = file.close().ok && ok;
    if (ok) std::rename(temporary.c_str(), path.c_str());
    else std::remove(temporary.c_str());
}

}  // namespace sonkrate::platform::desktop
