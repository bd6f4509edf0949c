#include <QLabel>
#include <QMap>

#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowLabelsTest = WindowTest;

TEST_F(WindowLabelsTest, EveryStaticLabelIsShownOnce) {
    show_window();
    QMap<QString, int> shown;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisible()) {
            shown[label->text()] += 1;
        }
    }
    for (const std::string& text : static_label_texts()) {
        EXPECT_EQ(shown.value(q(text)), 1) << text;
    }
}

// Each label stands by the box it names (and moves the focus there).
TEST_F(WindowLabelsTest, LabelsNameTheirBoxes) {
    std::map<std::string, std::string> label_of_box = {
        {"Text_server", "Servers"},
        {"Text_work_drive", "Local work drive/folder"},
        {"Drive1", "Select location of inversion files"},
        {"Text_jobID", "Job ID"},
        {"Text_max_tasks", "Max Tasks"},
        {"Text_network_share", "Network share for work folder"},
        {"ProgressBar_tasks", "Tasks"},
        {"Text_tasks_remaining", "Tasks:  Pending"},
        {"Text_tasks_processing", "Running"},
        {"Text_tasks_done", "Done"},
        {"Text_tasks_completed", "Assembled"},
        {"Text_overheads", "% Overhead"},
        {"Label_logging_time", "Elapsed time"},
        {"Label_estimated_duration", "Expected Duration"},
        {"Label_expected_finish", "Expected finish time"},
        {"Label_estimated_time_remaining", "Time remaining"},
        {"Text_speedup", "Speedup"},
        {"Text_mtx_mx", "MTX array"},
        {"Text_mtx_ndata", "Data"},
        {"Text_mtx_size", "Expected mtx size"},
        {"Text_mtx_compression", "Compression"}};
    std::map<std::string, std::string> found;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy()) {
            found[label->buddy()->objectName().toStdString()] = label->text().toStdString();
        }
    }
    EXPECT_EQ(found, label_of_box);
}

}  // namespace
}  // namespace zelkon
