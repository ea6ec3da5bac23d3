#include "app/startup.h"

#include "app/commandline.h"

#include <QApplication>
#include <QList>

#include <cstdio>
#include <cstdlib>
#ifdef Q_OS_WIN
#include <windows.h>
#endif
#include <utility>

namespace {

struct Message
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

// What Qt says while the window system starts, held back until it is known
// whether the start failed.
QList<Message> &heldMessages()
{
    static QList<Message> messages;
    return messages;
}

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        noDisplay();
    heldMessages().append({type, context.category, text});
}

} // namespace

std::unique_ptr<QCoreApplication> createApplication(int &argc, char **argv, bool *display)
{
    *display = hasDisplay(argc, argv);
    if (!*display)
        return std::make_unique<QCoreApplication>(argc, argv);
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const Message &m : std::exchange(heldMessages(), {}))
        qt_message_output(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.constData()), m.text);
    return app;
}

void useParentConsole()
{
#ifdef Q_OS_WIN
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
}

void noDisplay()
{
    std::fputs("vellamor: no display found; it is a desktop program, start it from a graphical session.\n", stderr);
    std::_Exit(1);
}
