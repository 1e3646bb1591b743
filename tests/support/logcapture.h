#pragma once

#include <QLoggingCategory>
#include <QStringList>

namespace tintel::test {

// Collects "category: message" for the program's own categories ("tintel.*") that the rules
// enable, while it lives; other messages go on as usual. The rules are reset when it goes.
class LogCapture
{
public:
    explicit LogCapture(const QString& rules)
    {
        QLoggingCategory::setFilterRules(rules);
        s_lines.clear();
        s_previous = qInstallMessageHandler(&LogCapture::record);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const { return s_lines; }

private:
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        const QString category = QString::fromUtf8(context.category);
        if (category.startsWith(QStringLiteral("tintel.")))
            s_lines.append(category + QStringLiteral(": ") + message);
        else if (s_previous)
            s_previous(type, context, message);
    }

    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace tintel::test
