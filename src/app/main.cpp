// Program entry: the application, its windows, and a clean shutdown on SIGINT and SIGTERM (the
// window closes as if the user closed it, so the settings are saved).

#include "app/Skin.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QFont>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zvk35"));
    QApplication::setApplicationDisplayName(zvk::TForm1::Title);
    QApplication::setApplicationVersion(QStringLiteral("2.64"));
    zvk::useSkinStyle();
    // The window was laid out for a small 8-point face; keep that density.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    zvk::TForm1 window;

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
            char c = 0;
            [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
            window.close();
            QApplication::quit();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
    }

    window.show();
    return QApplication::exec();
}
