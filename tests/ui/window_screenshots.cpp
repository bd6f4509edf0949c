#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "demo_run.h"
#include "ui/main_window.h"

// Saves pictures of the window with a run under way, at the size the form is
// designed for and at the smallest size its layout allows, so that a person
// can look for anything cut or unreadable. No display is needed.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir folder(argc > 1 ? QString(argv[1]) : QDir::currentPath());
    zelkon::DemoRun demo;
    zelkon::MainWindow window(demo.form);
    const std::pair<QSize, const char*> shots[] = {
        {QSize(1280, 800), "window-1280x800.png"},
        {window.minimumSizeHint(), "window-minimum.png"}};
    window.show();
    for (const auto& [size, name] : shots) {
        window.resize(size);
        QApplication::processEvents();
        QString path = folder.filePath(name);
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s (%dx%d)\n", qPrintable(path), window.width(), window.height());
    }
    return 0;
}
