// The Windows face names the show and its settings use ("宋体", "隶书",
// "华文行楷", ...) mapped to the CJK fonts installed here, through Qt's font
// substitution table.
#pragma once

#include <QFont>
#include <QString>

namespace lumora {

// Installs the substitutions once per process; later calls do nothing.
void installFaceNameSubstitutions();

// A font for a Windows face name that names its installed stand-ins first,
// so Qt finds one without searching the system for a fallback.
QFont fontForFace(const QString& windowsName);

}  // namespace lumora
