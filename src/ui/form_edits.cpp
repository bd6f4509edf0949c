#include "ui/form_edits.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "ui/display_text.h"

namespace zelkon {
namespace {

void bind(QLineEdit* box, TextControl& control) {
    QObject::connect(box, &QLineEdit::textEdited, box,
                     [&control](const QString& text) { control.text = text.toStdString(); });
}

// Programmatic changes of this box are made with its signals blocked, so
// every change seen here is the user's.
void bind(QPlainTextEdit* box, TextControl& control) {
    QObject::connect(box, &QPlainTextEdit::textChanged, box,
                     [box, &control] { control.text = text_of_lines(box->toPlainText()); });
}

void bind(QCheckBox* box, CheckControl& control) {
    QObject::connect(box, &QCheckBox::clicked, box,
                     [&control](bool checked) { control.value = checked ? 1 : 0; });
}

}  // namespace

void connect_edits(FormWidgets& w, FormControls& c) {
    bind(w.Text_server, c.Text_server);
    bind(w.Text_work_drive, c.Text_work_drive);
    bind(w.Text_work_folder, c.Text_work_folder);
    bind(w.Text_jobID, c.Text_jobID);
    bind(w.Text_max_tasks, c.Text_max_tasks);
    bind(w.Text_network_share, c.Text_network_share);
    bind(w.Check_use_RPC, c.Check_use_RPC);
    bind(w.Text_set_folder, c.Text_set_folder);
}

}  // namespace zelkon
