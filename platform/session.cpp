#include "platform/session.h"

#include <cstdio>
#include <cstdlib>

namespace tintel {

bool platformChosen(const Session& session)
{
    // A forced xcb, options and all, is what the program would choose anyway.
    return !session.qtPlatform.isEmpty() &&
           session.qtPlatform.section(u':', 0, 0) != QLatin1String("xcb");
}

QString forcedPlatform(const Session& session)
{
    if (!session.qtPlatform.isEmpty())
        return {};
    const bool wayland =
        session.sessionType == QLatin1String("wayland") || !session.waylandDisplay.isEmpty();
    if (wayland && !session.display.isEmpty())
        return QStringLiteral("xcb");
    return {};
}

bool hasDisplay(const Session& session)
{
    return platformChosen(session) || !session.display.isEmpty() ||
           !session.waylandDisplay.isEmpty();
}

bool waylandOnly(const Session& session)
{
    return !platformChosen(session) && session.display.isEmpty() &&
           !session.waylandDisplay.isEmpty();
}

namespace {
QByteArray g_words;
std::vector<DisplayOpening::Held>* g_held = nullptr;

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs(g_words.constData(), stderr);
        std::_Exit(2);
    }
    g_held->push_back({type, context.file, context.function, context.category, context.line, text});
}

const char* orNull(const QByteArray& text)
{
    return text.isNull() ? nullptr : text.constData();
}
} // namespace

DisplayOpening::DisplayOpening(QByteArray words)
{
    g_words = std::move(words);
    g_held = &m_held;
    m_previous = qInstallMessageHandler(holdOrEnd);
}

DisplayOpening::~DisplayOpening()
{
    qInstallMessageHandler(m_previous);
    g_held = nullptr;
    for (const Held& held : m_held) {
        const QMessageLogContext context(orNull(held.file), held.line, orNull(held.function),
                                         orNull(held.category));
        m_previous(held.type, context, held.text);
    }
}

} // namespace tintel
