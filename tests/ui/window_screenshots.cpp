#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <string>

#include "demo_run.h"
#include "platform/qt_widget_dialogs.h"
#include "ui/main_window.h"

namespace {

bool save(QWidget& widget, const QDir& folder, const char* name) {
    QString path = folder.filePath(name);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), widget.width(), widget.height());
    return true;
}

// Assembly-log rows as a run copies them into its log: wider than the box.
std::string assembly_rows() {
    std::string rows =
        "\r TaskID FirstDat LastData NumData                Time     Clock     mtx Size   "
        "Compress     mtx Size   Compress  Server";
    for (int task = 1; task <= 3; ++task) {
        std::string t = std::to_string(task);
        rows += "\r" + std::string(7 - t.size(), ' ') + t + "       " +
                std::to_string(task * 2 - 1) + "       " + std::to_string(task * 2) +
                "       2                0.21  14:05:0" + t +
                "      1605632       1.25      1638400       1.23  node-a/1";
    }
    return rows;
}

// The demo run stopped: its log ends with the finish, the matrix files and
// the command that continues the run.
void end_the_run(zelkon::DemoRun& demo) {
    const std::string inversion = demo.form.controls.Dir1 + "/";
    demo.form.job.local_path = inversion;
    demo.form.job.job_id = "000012";
    demo.form.data.num_components = 2;
    demo.form.data.component_suffix[1] = "gz";
    demo.form.data.component_suffix[2] = "gx";
    demo.fake.files.add_file(inversion + "parvex_gz.mtx", "");
    demo.fake.files.add_file(inversion + "parvex_gx.mtx", "");
    demo.form.append_run_log(assembly_rows());
    demo.form.run_control.stop_run();
}

}  // namespace

// Saves pictures of the window with a run under way, at the size the form is
// designed for and at the smallest size its layout allows, then at the end
// of the run, and a failure box naming a path, so that a person can look for
// anything cut or unreadable. No display is needed.
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
        if (!save(window, folder, name)) {
            return 1;
        }
    }
    window.resize(QSize(1280, 800));
    end_the_run(demo);
    window.refresh();
    QApplication::processEvents();
    bool saved = save(window, folder, "window-run-ended.png");
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box != nullptr) {
            saved = saved && save(*box, folder, "failure-box.png");
            box->close();
        }
    });
    zelkon::QtWidgetDialogs().warning(
        "An error occurred while setting up the cluster run: Path not found: "
        "/net/node-b/home/alexandra/zelkon-demo/Work/Job_000012/ at stage 10 while performing "
        "action: Set up the work folders");
    return saved ? 0 : 1;
}
