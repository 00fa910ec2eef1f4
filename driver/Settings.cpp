// SPDX-License-Identifier: GPL-3.0-or-later
// Talvor.ini beside the executable, section "Talvor". Read on every call: the program never writes it.
#include <cmath>
#include <cstdlib>

#include "driver/Talvor.h"
#include "platform/Platform.h"

namespace {
std::string SettingsFileOverride;
}

void SetSettingsFile(const std::string& sPath) {
    SettingsFileOverride = sPath;
}

std::string ReadSetting(const std::string& sKey, const std::string& sDefault) {
    const std::string path =
        SettingsFileOverride.empty() ? ProgramFolder() + "/Talvor.ini" : SettingsFileOverride;
    return ReadProfileString(path, "Talvor", sKey, sDefault);
}

int16_t SettingNumber(const std::string& sText) {
    // Blanks, tabs and line feeds are passed over wherever they stand, as the settings were always read.
    std::string number;
    size_t i = 0;
    auto skip = [&] {
        while (i < sText.size() && (sText[i] == ' ' || sText[i] == '\t' || sText[i] == '\n')) ++i;
    };
    auto digits = [&] {
        int n = 0;
        for (skip(); i < sText.size() && sText[i] >= '0' && sText[i] <= '9'; skip()) {
            number += sText[i++];
            ++n;
        }
        return n;
    };
    skip();
    if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) number += sText[i++];
    int mantissa = digits();
    skip();
    if (i < sText.size() && sText[i] == '.') {
        number += sText[i++];
        mantissa += digits();
    }
    if (mantissa == 0) return 0;
    skip();
    if (i < sText.size() && (sText[i] == 'e' || sText[i] == 'E' || sText[i] == 'd' || sText[i] == 'D')) {
        const size_t mark = number.size();
        ++i;
        number += 'e';
        skip();
        if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) number += sText[i++];
        if (digits() == 0) number.resize(mark);  // a bare exponent letter ends the number
    }
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));  // halves to even
    if (value <= -32768.0) return INT16_MIN;  // out of range: the nearest value that fits
    if (value >= 32767.0) return INT16_MAX;
    return static_cast<int16_t>(value);
}
