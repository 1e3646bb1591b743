#pragma once

#include "core/alarmrecord.h"
#include "core/message.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

namespace tintel {

// Time box filter: Backspace, the ten ASCII digits and ':' only.
bool isTimeCharAccepted(char16_t c);

// For pasted or dropped text, which must be taken or refused as a whole. Backspace is a key, not
// text, so it is refused here.
bool isTimeTextAccepted(const QString& text);

Message refusedCharacterMessage();

// H:M or H:M:S, one or two ASCII digits per part, nothing around.
std::optional<QTime> parseAlarmTime(const QString& text);

QString shortTimeText(QTime t);
// The single long form shared by the clocks, gHeureCible and every comparison.
QString longTimeText(QTime t);
QString dateText(QDate d);

enum class ActivationOutcome { TimeMissing, MessageMissing, TimeInvalid, Accepted, PastTime };

struct Activation
{
    ActivationOutcome outcome;
    // Empty text when Accepted.
    Message message;
    // "hh:mm" for Accepted and PastTime: what the countdown window's label shows.
    QString shortForm;
};

// `now` is the local wall-clock reading; its fraction of a second is ignored. Refusals leave
// `record` as it was; Accepted and PastTime overwrite its alarm time, message and date together.
Activation checkActivation(const QString& timeText, const QString& messageText,
                           const QDateTime& now, AlarmRecord& record);

// The Yes answer to the past-time question.
void acceptForTomorrow(AlarmRecord& record);

Message pastTimeQuestion();
Message quitConfirmation();

} // namespace tintel
