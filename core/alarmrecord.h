#pragma once

#include <QDate>
#include <QString>

namespace tintel {

// The one alarm of the run, in memory only. Empty texts and a null date until the first
// activation.
struct AlarmRecord
{
    QString gHeureCible;
    QString gTexteMessage;
    QDate gDateCible;
    QString gCheminAide;
};

} // namespace tintel
