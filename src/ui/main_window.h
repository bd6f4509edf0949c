#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <string>

#include "ui/form_widgets.h"

namespace zelkon {

class Form_zelkon_cluster_controller;

// The controller's window: shows the form's model in widgets and turns
// clicks, edits and drops into calls of the form's handlers. It decides
// nothing itself. It refreshes after every handler and every 100 ms, so that
// what the task timer changes appears too, and shows the busy pointer as soon
// as the model asks for it, while the handler still runs.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(Form_zelkon_cluster_controller& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Copies the model into the widgets; cheap when nothing changed.
    void refresh();
    // Shows the busy pointer while the model asks for it; cheap, and safe in
    // the middle of a handler.
    void show_busy_pointer();

    static constexpr int kRefreshIntervalMs = 100;

  private:
    void connect_commands();
    void connect_menu();
    void connect_folder_selection();
    void follow_busy_pointer();
    // Calls a handler of the form, then shows what it changed.
    void run(const std::function<void()>& handler);
    void set_busy_pointer(bool busy);

    Form_zelkon_cluster_controller& form_;
    FormWidgets widgets_;
    QTimer refresh_timer_;
    bool busy_pointer_shown_ = false;
};

}  // namespace zelkon
