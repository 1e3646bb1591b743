#pragma once

#include <QChar>
#include <QDate>
#include <QString>

namespace tintel {

class ProgramInfo;
class SettingsStore;

namespace settings {
inline constexpr char16_t kSection[] = u"parametres";
inline constexpr char16_t kDateDebut[] = u"date de debut";
inline constexpr char16_t kDossierApplication[] = u"dossier application";
inline constexpr char16_t kEtat[] = u"etat";
inline constexpr char16_t kActif[] = u"actif";
inline constexpr char16_t kInactif[] = u"inactif";
} // namespace settings

// The folder with exactly one trailing separator. Only the given separator counts: a folder
// ending with another character gets one appended.
QString DossierApplication(const QString& folder, QChar separator);

// First-run record when "date de debut" is empty, then "etat" = "actif".
void runStartupSettings(SettingsStore& store, const ProgramInfo& program, QDate today);

// The confirmed quit's mark: "etat" = "inactif", nothing else.
void markQuit(SettingsStore& store, const ProgramInfo& program);

// "Version 1.0.0".
QString versionText(int major, int minor, int revision);

} // namespace tintel
