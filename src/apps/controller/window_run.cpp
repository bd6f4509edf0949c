#include "apps/controller/window_run.h"

#include <QApplication>

#include "apps/controller/real_platform.h"
#include "form/Form_zelkon_cluster_controller.h"
#include "platform/qt_widget_dialogs.h"
#include "ui/main_window.h"
#include "ui/refreshing_event_pump.h"

namespace zelkon {

int run_with_window(int argc, char** argv, const ControllerOptions& options) {
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName("Zelkon Cluster Controller");
    RefreshingEventPump events;
    QtWidgetDialogs dialogs;
    RealPlatform real(events, dialogs);
    Form_zelkon_cluster_controller form(real.bundle());
    MainWindow window(form);
    events.attach(&window);
    dialogs.set_parent(&window);
    form.hooks.on_show = [&window] { window.show(); };
    // Queued, so that an end asked for before the event loop runs still counts.
    form.hooks.on_exit_requested = [](int code) {
        QMetaObject::invokeMethod(
            QApplication::instance(), [code] { QApplication::exit(code); }, Qt::QueuedConnection);
    };
    form.automatic_start_index = options.test_setup ? 0 : 1;
    form.job_id_given = options.job_id;

    window.show();
    form.Form_Load(options.folder_text, options.settings_file);
    window.refresh();
    return QApplication::exec();
}

}  // namespace zelkon
