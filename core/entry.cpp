#include "core/entry.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tintel {

namespace {

constexpr char16_t kBackspace = 8;

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// One or two ASCII digits; QString::toInt would also take signs, spaces and other scripts.
std::optional<int> parsePart(QStringView part, int max)
{
    if (part.isEmpty() || part.size() > 2)
        return std::nullopt;
    int value = 0;
    for (QChar c : part) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

QTime wholeSecond(QTime t)
{
    return QTime(t.hour(), t.minute(), t.second());
}

Message information(const QString& text, const QString& title)
{
    return Message{text, title, Message::Buttons::Ok, Message::Icon::Information,
                   Message::Answer::Ok};
}

} // namespace

bool isTimeCharAccepted(char16_t c)
{
    return c == kBackspace || u"0123456789:"_s.contains(QChar(c));
}

bool isTimeTextAccepted(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() != kBackspace && isTimeCharAccepted(c.unicode());
    });
}

Message refusedCharacterMessage()
{
    return information(u"Caractère non autorisé. Vous ne pouvez saisir que des chiffres et le "
                       u"signe des 2 points [:] comme séparateur horaire."_s,
                       u"Donnée non valide"_s);
}

std::optional<QTime> parseAlarmTime(const QString& text)
{
    const QList<QStringView> parts = QStringView(text).split(u':');
    if (parts.size() != 2 && parts.size() != 3)
        return std::nullopt;
    const auto hours = parsePart(parts[0], 23);
    const auto minutes = parsePart(parts[1], 59);
    const auto seconds = parts.size() == 3 ? parsePart(parts[2], 59) : std::optional<int>(0);
    if (!hours || !minutes || !seconds)
        return std::nullopt;
    return QTime(*hours, *minutes, *seconds);
}

QString shortTimeText(QTime t)
{
    return t.toString(u"hh:mm"_s);
}

QString longTimeText(QTime t)
{
    return t.toString(u"HH:mm:ss"_s);
}

QString dateText(QDate d)
{
    return d.toString(u"dd/MM/yyyy"_s);
}

Activation checkActivation(const QString& timeText, const QString& messageText,
                           const QDateTime& now, AlarmRecord& record)
{
    if (timeText.isEmpty())
        return {ActivationOutcome::TimeMissing,
                information(u"Vous n'avez pas saisi l'heure pour la nouvelle alarme."_s,
                            u"Donnée manquante"_s),
                {}};
    // Checked before the time, so an empty message is reported even with an invalid time.
    if (messageText.isEmpty())
        return {ActivationOutcome::MessageMissing,
                information(u"Vous n'avez pas saisi le texte du message à afficher pour la "
                            u"nouvelle alarme."_s,
                            u"Donnée manquante"_s),
                {}};
    const std::optional<QTime> typed = parseAlarmTime(timeText);
    if (!typed)
        return {ActivationOutcome::TimeInvalid,
                information(u"L'heure que vous avez saisi n'est pas valide. Entrez celle-ci comme "
                            u"suit: ##:## ou # sont des chiffres."_s,
                            u"Donnée non conforme"_s),
                {}};

    // Going through the short form is what drops typed seconds instead of rounding them.
    const QString shortForm = shortTimeText(*typed);
    const QTime alarm = *parseAlarmTime(shortForm);
    record.gHeureCible = longTimeText(alarm);
    record.gTexteMessage = messageText;
    record.gDateCible = now.date();

    // The alarm second itself is still today's: only a strictly earlier time is past.
    if (alarm < wholeSecond(now.time()))
        return {ActivationOutcome::PastTime, pastTimeQuestion(), shortForm};
    return {ActivationOutcome::Accepted, Message{}, shortForm};
}

void acceptForTomorrow(AlarmRecord& record)
{
    record.gDateCible = record.gDateCible.addDays(1);
}

Message pastTimeQuestion()
{
    return Message{u"L'heure que vous avez entrer est inférieure à l'heure actuelle.\r\n"
                   u"Si vous le souhaitez, cette alarme se déclenchera demain à l'heure saisie.\r\n"
                   u"Appuyez sur OUI pour valider l'alarme pour demain\r\n"
                   u"Appuyez sur NON pour annuler"_s,
                   u"Attention..."_s, Message::Buttons::YesNo, Message::Icon::Information,
                   Message::Answer::No};
}

Message quitConfirmation()
{
    return Message{u"Appuyez sur OUI pour confirmer la fin du programme."_s, u"TINTEL"_s,
                   Message::Buttons::YesNo, Message::Icon::Information, Message::Answer::Yes};
}

} // namespace tintel
