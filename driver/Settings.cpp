// Talvor.ini beside the executable, section "Talvor". Read on every call: the program never writes it.
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
