// SPDX-License-Identifier: GPL-3.0-or-later
// A reader of profile (INI) files with the usual rules of the Windows profile API.
#include <fstream>

#include "platform/Platform.h"

namespace {
constexpr size_t MaxValueLength = 259;

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string Cut(std::string s) {
    if (s.size() > MaxValueLength) s.resize(MaxValueLength);
    return s;
}
}  // namespace

std::string ReadProfileString(const std::string& sPath, const std::string& sSection, const std::string& sKey,
                              const std::string& sDefault) {
    std::ifstream in(sPath, std::ios::binary);
    if (!in) return Cut(sDefault);
    const std::string section = Trim(sSection), key = Trim(sKey);
    std::string line;
    bool inSection = false, first = true;
    while (std::getline(in, line)) {
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // a UTF-8 byte order mark
        first = false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            inSection = SameName(
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), section);
            continue;
        }
        if (!inSection) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || !SameName(Trim(line.substr(0, eq)), key)) continue;
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return Cut(value);
    }
    return Cut(sDefault);
}
