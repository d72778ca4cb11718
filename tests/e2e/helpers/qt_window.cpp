// A small Qt window for the end-to-end tests: `e2e_qt_window TITLE TEXT`. Shows TEXT in a large
// label, so both the accessibility reader and text recognition can find it. A line
// "title NEW" on standard input changes the window's title; "copy TEXT" puts TEXT on the
// clipboard.
#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QLabel>
#include <QSocketNotifier>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("tarnwhistle-e2e-window");
    app.setDesktopFileName("tarnwhistle-e2e-window");
    QWidget window;
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : "Window");
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    QFont font("DejaVu Sans");
    font.setPointSize(20);
    label->setFont(font);
    label->setWordWrap(true);
    label->setStyleSheet("QLabel { background: white; color: black; }");
    layout->addWidget(label);
    window.resize(640, 360);
    window.show();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[1024];
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) return input.setEnabled(false);
        for (const QString& command : QString::fromUtf8(line, int(n)).split('\n')) {
            if (command.startsWith("title "))
                window.setWindowTitle(command.mid(6));
            else if (command.startsWith("copy "))
                QApplication::clipboard()->setText(command.mid(5));
        }
    });
    return app.exec();
}
