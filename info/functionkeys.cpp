#include "info/functionkeys.h"

#include "core/failure.h"
#include "forms/forms.h"
#include "info/frmAbout.h"
#include "platform/localfiles.h"
#include "platform/messageboxes.h"
#include "platform/runningprograminfo.h"
#include "platform/shell.h"

namespace tintel {

Message helpMissingMessage(const QString& applicationFolder)
{
    return {QStringLiteral("Fichier d'aide [aide.htm] introuvable. Assurez-vous que celui-ci doit "
                           "se trouver dans:\r\n") +
                applicationFolder,
            QStringLiteral("fichier d'aide absent"), Message::Buttons::Ok, Message::Icon::Critical,
            Message::Answer::Ok};
}

Message failureMessage(int number, const QString& description)
{
    return {QStringLiteral("Une erreur est intervenue dans le programme.\r\nNo: %1\r\nType: %2")
                .arg(number)
                .arg(description),
            QStringLiteral("Erreur..."), Message::Buttons::Ok, Message::Icon::Critical,
            Message::Answer::Ok};
}

void FunctionKeyDown(Form& window, qint16& KeyCode, qint16& Shift)
{
    Q_UNUSED(Shift);
    Platform& platform = window.platform();
    try {
        switch (KeyCode) {
        case kKeyF1: {
            const QString& help = window.record().gCheminAide;
            if (platform.files.isNormalFile(help))
                platform.shell.open(&window, help);
            else
                platform.boxes.show(&window,
                                    helpMissingMessage(platform.program.executableFolder()));
            break;
        }
        case kKeyF2:
            window.forms().showModal<frmAbout>(&window);
            break;
        case kKeyF3:
            platform.shell.open(&window, QString::fromUtf16(kWebPage));
            break;
        case kKeyF4:
            platform.shell.open(&window, QString::fromUtf16(kMailAddress));
            break;
        default:
            break;
        }
    } catch (const RuntimeFailure& failure) {
        platform.boxes.show(&window, failureMessage(failure.number(), failure.description()));
    } catch (const std::bad_alloc&) {
        platform.boxes.show(&window, failureMessage(7, QStringLiteral("Mémoire insuffisante")));
    } catch (const std::exception& failure) {
        platform.boxes.show(&window, failureMessage(51, QString::fromLocal8Bit(failure.what())));
    }
}

} // namespace tintel
