// Feeds arbitrary text to the time box filter, the time recognition and the activation check.
#include "core/countdown.h"
#include "core/entry.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tintel;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The clock reading comes from the first bytes, so the fuzzer explores days and seconds too.
QDateTime readingFrom(const uint8_t*& data, size_t& size)
{
    quint32 seed = 0;
    for (int i = 0; i < 4 && size > 0; ++i, ++data, --size)
        seed = (seed << 8) | *data;
    const QDate day = QDate(2026, 1, 1).addDays(seed % 1500);
    const QTime time = QTime(0, 0).addMSecs(int(seed % 86400000u));
    return QDateTime(day, time);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QDateTime now = readingFrom(data, size);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString timeText = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString messageText = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));

    bool allAccepted = true;
    for (QChar c : timeText) {
        const bool accepted = isTimeCharAccepted(c.unicode());
        allAccepted = allAccepted && accepted && c.unicode() != 8;
    }
    check(isTimeTextAccepted(timeText) == allAccepted);

    if (const std::optional<QTime> time = parseAlarmTime(timeText)) {
        check(time->isValid());
        // Only what the filter lets in can be a time, and both forms read back to it.
        check(allAccepted);
        const QTime minute(time->hour(), time->minute());
        check(parseAlarmTime(shortTimeText(*time)) == minute);
        check(parseAlarmTime(longTimeText(*time)) == *time);
        check(shortTimeText(*time).size() == 5 && longTimeText(*time).size() == 8);
    }

    AlarmRecord record;
    record.gHeureCible = QStringLiteral("before");
    const Activation activation = checkActivation(timeText, messageText, now, record);
    switch (activation.outcome) {
    case ActivationOutcome::TimeMissing:
    case ActivationOutcome::MessageMissing:
    case ActivationOutcome::TimeInvalid:
        check(record.gHeureCible == QStringLiteral("before"));
        check(!activation.message.text.isEmpty());
        break;
    case ActivationOutcome::Accepted:
    case ActivationOutcome::PastTime: {
        // Every accepted text converts, and the countdown can read what was stored.
        check(parseAlarmTime(timeText).has_value());
        check(parseAlarmTime(activation.shortForm).has_value());
        check(parseAlarmTime(record.gHeureCible).has_value());
        check(record.gTexteMessage == messageText);
        check(record.gDateCible == now.date());
        const Remaining left = TempsRestant(now, record.gDateCible, record.gHeureCible);
        check((activation.outcome == ActivationOutcome::PastTime) == (left.s < 0));
        check(left.h * 3600 + left.m * 60 + left.r == left.s);
        (void)HeureAtteinte(now.date(), now.time(), record.gDateCible, record.gHeureCible);
        break;
    }
    }
    return 0;
}
