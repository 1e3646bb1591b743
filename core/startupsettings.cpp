#include "core/startupsettings.h"

#include "core/programinfo.h"
#include "core/settingsstore.h"

#include <QDir>

namespace tintel {

using namespace settings;

QString DossierApplication(const QString& folder, QChar separator)
{
    QString result = folder;
    if (!result.endsWith(separator))
        result += separator;
    return result;
}

void runStartupSettings(SettingsStore& store, const ProgramInfo& program, QDate today)
{
    const QString section = QString::fromUtf16(kSection);
    // The stored date is only tested for emptiness, never parsed.
    const QString dateDebut =
        store.read(program.executableBaseName(), section, QString::fromUtf16(kDateDebut), {});
    if (dateDebut.isEmpty()) {
        store.write(program.executableBaseName(), section, QString::fromUtf16(kDateDebut),
                    today.toString(QStringLiteral("dd/MM/yyyy")));
        store.write(program.executableBaseName(), section, QString::fromUtf16(kDossierApplication),
                    DossierApplication(program.executableFolder(), QDir::separator()));
    }
    store.write(program.executableBaseName(), section, QString::fromUtf16(kEtat),
                QString::fromUtf16(kActif));
}

void markQuit(SettingsStore& store, const ProgramInfo& program)
{
    store.write(program.executableBaseName(), QString::fromUtf16(kSection),
                QString::fromUtf16(kEtat), QString::fromUtf16(kInactif));
}

QString versionText(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace tintel
