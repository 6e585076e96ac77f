// The virus scanners the Configuration dialog offers, each with its parameter template
// ("%f" stands for the archive). The first eight are the traditional list, kept so that
// settings made with it still name a known scanner; the last is the usual scanner of a
// Linux desktop, so the list offers one that can actually be installed here.
#pragma once

#include <array>

namespace vk::app {

struct TVirusScannerPreset {
  const char* Program;
  const char* Parameters;
};

inline constexpr std::array<TVirusScannerPreset, 9> kVirusScannerPresets = {{
    {"SCAN32.EXE", "%f /autoscan /nosplash"},
    {"NAVW32.EXE", "%f /s"},
    {"N32SCANW.EXE", "%f /s"},
    {"NAVWNT.EXE", "%f /s"},
    {"F-PROT.EXE", "%f /noboot /nomem /list"},
    {"AVPM.EXE", "%f"},
    {"NVCOD.EXE", "%f /WZ"},
    {"TBSCAN.EXE", "%f lo nb nm"},
    {"clamscan", "%f"},
}};

}  // namespace vk::app
