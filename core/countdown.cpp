#include "core/countdown.h"

#include "core/entry.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace tintel {

namespace {

// The alarm is kept to the minute; seconds in the text are never part of it.
std::optional<QTime> alarmTimeOfDay(const QString& gHeureCible)
{
    const std::optional<QTime> t = parseAlarmTime(gHeureCible);
    if (!t)
        return std::nullopt;
    return QTime(t->hour(), t->minute());
}

int wholeSeconds(QTime t)
{
    return t.msecsSinceStartOfDay() / 1000;
}

QString countdownText(qint32 value)
{
    const QString text = QString::number(value);
    return text.size() < 2 ? u"0"_s + text : text;
}

} // namespace

bool HeureAtteinte(QDate today, QTime timeOfDay, QDate gDateCible, const QString& gHeureCible)
{
    const std::optional<QTime> alarm = alarmTimeOfDay(gHeureCible);
    return alarm && today == gDateCible && wholeSeconds(timeOfDay) == wholeSeconds(*alarm);
}

Remaining TempsRestant(const QDateTime& now, QDate gDateCible, const QString& gHeureCible)
{
    Remaining left;
    // An unreadable alarm time cannot come from an activation; show zeros rather than garbage.
    if (const std::optional<QTime> alarm = alarmTimeOfDay(gHeureCible)) {
        // QDateTime::secsTo would count the real elapsed time and be an hour off across a
        // daylight-saving change; the countdown is in wall-clock terms.
        const qint64 s =
            now.date().daysTo(gDateCible) * 86400 + wholeSeconds(*alarm) - wholeSeconds(now.time());
        left.s = static_cast<qint32>(s);
    }
    // C++ division truncates toward zero and the remainder takes the dividend's sign, so every
    // part carries the sign of s.
    left.h = left.s / 3600;
    left.m = (left.s % 3600) / 60;
    left.r = (left.s % 3600) % 60;
    left.hText = countdownText(left.h);
    left.mText = countdownText(left.m);
    left.rText = countdownText(left.r);
    return left;
}

bool targetPassed(const QDateTime& now, QDate gDateCible, const QString& gHeureCible)
{
    return alarmTimeOfDay(gHeureCible) && TempsRestant(now, gDateCible, gHeureCible).s < 0;
}

bool shouldFire(const QDateTime& now, QDate gDateCible, const QString& gHeureCible, bool shown,
                bool alreadyFired)
{
    if (!shown || alreadyFired)
        return false;
    return HeureAtteinte(now.date(), now.time(), gDateCible, gHeureCible) ||
           targetPassed(now, gDateCible, gHeureCible);
}

QString spokenTimeLeft(const QString& alarmTime, const Remaining& left)
{
    // As a person says it: what is zero left out, "et" before the last part. French counts 0 and
    // 1 in the singular.
    QStringList parts;
    const auto count = [&parts](qint32 value, QStringView unit) {
        if (value > 0)
            parts << QString::number(value) + u' ' + unit.toString() +
                         (value > 1 ? u"s"_s : QString());
    };
    if (left.s > 0) {
        count(left.h, u"heure");
        count(left.m, u"minute");
        count(left.r, u"seconde");
    }
    if (parts.isEmpty())
        parts << u"0 seconde"_s;
    const QString last = parts.takeLast();
    return u"Alarme à "_s + alarmTime + u", il reste "_s +
           (parts.isEmpty() ? last : parts.join(u", "_s) + u" et "_s + last);
}

} // namespace tintel
