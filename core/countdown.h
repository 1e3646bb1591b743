#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace tintel {

// The firing test: the alarm day and, to the whole second, the alarm minute at second 00.
// gHeureCible may be in short or long form.
bool HeureAtteinte(QDate today, QTime timeOfDay, QDate gDateCible, const QString& gHeureCible);

// Seconds left `s` split into hours `h`, minutes `m` and seconds `r`, each signed like `s`, with
// the texts the countdown labels show.
struct Remaining
{
    qint32 s = 0, h = 0, m = 0, r = 0;
    QString hText, mText, rText;
};

// The time left as one sentence for a screen reader: "Alarme à 09:30, il reste 29 minutes et 56
// secondes". An alarm whose second has come has nothing left.
QString spokenTimeLeft(const QString& alarmTime, const Remaining& left);

// Wall-clock difference: every calendar day counts 86400 seconds, whatever the time zone does.
Remaining TempsRestant(const QDateTime& now, QDate gDateCible, const QString& gHeureCible);

// Whether the alarm second is behind `now`, so that a missed second can still fire once, late.
bool targetPassed(const QDateTime& now, QDate gDateCible, const QString& gHeureCible);

// Whether a tick at `now` fires the alarm. A hidden countdown is still being activated and never
// fires; a shown one fires at the alarm second or, once that second was missed (suspend, the
// clock set forward, a late tick), late rather than never; one activation fires once.
bool shouldFire(const QDateTime& now, QDate gDateCible, const QString& gHeureCible, bool shown,
                bool alreadyFired);

} // namespace tintel
