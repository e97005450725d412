#pragma once

// The windows were designed with Windows fonts (MS Sans Serif, Britannic Bold, Goudy
// Old Style) that a Linux workstation lacks; the fallback fontconfig picks is wider and
// cuts captions off. install() maps each designed family to a metric-compatible family
// the project installs (Liberation, with the Croscore fonts as second choice) and makes
// MS Sans Serif 8.25 pt, the forms' own default, the program's font (on Windows only the
// latter: the designed fonts are there). Call it once the application object exists and
// before any window is built.
namespace DesignedFonts {

void install();

} // namespace DesignedFonts
