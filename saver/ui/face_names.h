// The Windows face names the show and its settings use ("宋体", "隶书",
// "华文行楷", ...) mapped to the CJK fonts installed here, through Qt's font
// substitution table.
#pragma once

namespace lumora {

// Installs the substitutions once per process; later calls do nothing.
void installFaceNameSubstitutions();

}  // namespace lumora
